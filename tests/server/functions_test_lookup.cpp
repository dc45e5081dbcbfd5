// Code look-up by keywords and a provider's position from its ZIP code.
#include "functions_test_support.h"

namespace functions_test {
namespace {

class LookupTest : public FunctionsTest {
protected:
    LookupTest() {
        for (const auto& [code, text] : std::vector<std::pair<std::string, std::string>>{
                 {"486", "Pneumonia, organism unspecified"},
                 {"4019", "Unspecified essential hypertension"},
                 {"0413", "Friedländer's bacillus infection in conditions classified elsewhere"},
                 {"V3000", "Single liveborn, born in hospital, delivered without mention of cesarean section"}})
            Add(cat::tbl::kICD9Symptom, {{cat::icd9::kCode, code}, {cat::icd9::kDescription, text}});
        Add(cat::tbl::kICD9Treatment, {{cat::icd9::kCode, "8154"}, {cat::icd9::kDescription, "Total knee replacement"}});
    }

    std::unique_ptr<cJsonNode> Look(const char* command, const std::string& phrase) {
        return Call({{"ServerCommand", command}, {"KeyWordPhrase", phrase}});
    }
};

TEST_F(LookupTest, KeywordsFindCodesInTheirOwnBook) {
    auto reply = Look("geticd9symptomsforkeywords", "ESSENTIAL hyper");
    cJsonNode& data = *reply->GetMember("Data");
    ASSERT_EQ(Names(data), std::vector<std::string>{"4019"});
    EXPECT_EQ(data.GetString("4019"), "Unspecified essential hypertension");

    reply = Look("geticd9symptomsforkeywords", "friedländer's");
    EXPECT_EQ(reply->GetMember("Data")->GetString("0413"),
              "Friedländer's bacillus infection in conditions classified elsewhere");
    reply = Look("geticd9symptomsforkeywords", "liveborn, hospital");
    EXPECT_EQ(Names(*reply->GetMember("Data")), std::vector<std::string>{"V3000"});

    EXPECT_EQ(Names(*Look("geticd9treatmentsforkeywords", "knee")->GetMember("Data")),
              std::vector<std::string>{"8154"});
    EXPECT_EQ(Look("geticd9treatmentsforkeywords", "pneumonia")->GetString("NoData"), "Y") << "the other book";
}

TEST_F(LookupTest, NothingFoundAndNothingTyped) {
    auto reply = Look("geticd9symptomsforkeywords", "pneumonia zebra");
    EXPECT_EQ(reply->GetString("NoData"), "Y") << "every word must be found";
    EXPECT_EQ(reply->GetString("Error"), "");
    for (const char* phrase : {"", "   ", "*\"(-)"}) {
        reply = Look("geticd9symptomsforkeywords", phrase);
        EXPECT_NE(reply->GetString("Error"), "") << phrase;
        EXPECT_FALSE(reply->HasMember("Data"));
    }
}

TEST_F(FunctionsTest, ProviderPositionFollowsItsZipCode) {
    AddZip("43210", 39.998, -83.0173);
    const std::int64_t provider = AddProvider("Buckeye Care", "43210-1234");
    auto update = [&](const std::string& seq) {
        return Call({{"ServerCommand", "updateproviderlatitudelongitude"}, {"ProviderSeq", seq}});
    };
    ASSERT_EQ(update(S(provider))->GetString("Error"), "");
    EXPECT_EQ(Get(cat::tbl::kProviderEntities, provider, schema::provider_position::kLatitude), "39.998000");
    EXPECT_EQ(Get(cat::tbl::kProviderEntities, provider, schema::provider_position::kLongitude), "-83.017300");

    storage->Update(cat::tbl::kProviderEntities, provider, {{cat::providers::kZip, "99999"}});
    EXPECT_NE(update(S(provider))->GetString("Error"), "");
    EXPECT_EQ(Get(cat::tbl::kProviderEntities, provider, schema::provider_position::kLatitude), "")
        << "the old position no longer holds";

    EXPECT_NE(update("99999")->GetString("Error"), "");
    EXPECT_NE(update("")->GetString("Error"), "");
}

}  // namespace
}  // namespace functions_test
