// How the case screens show and store a case's values.
#include <gtest/gtest.h>

#include <array>

#include "case_labels.h"
#include "case_object.h"
#include "icd_code_text.h"
#include "sub_list_delegate.h"

namespace dalvero {
namespace {

TEST(SsnEntry, GroupsDigitsStepsOverDashesAndStopsAtNine) {
    EXPECT_EQ(FormatSsn("123"), "123-");
    EXPECT_EQ(FormatSsn("12345"), "123-45-");
    EXPECT_EQ(FormatSsn("123456789"), "123-45-6789");
    // Typed at the end, over a selection, and refused once full.
    DigitFieldText t = DigitInsert(kSsnFormat, "12", 2, 0, '3');
    EXPECT_EQ(t.text, "123-");
    EXPECT_EQ(t.caret, 4u);
    EXPECT_EQ(DigitInsert(kSsnFormat, "123-45-6789", 4, 2, '0').text, "123-06-789");
    EXPECT_EQ(DigitInsert(kSsnFormat, "123-45-6789", 11, 0, '0').text, "123-45-6789");
    // Backspace after a dash removes the digit before it; Delete before one the digit after.
    EXPECT_EQ(DigitBackspace(kSsnFormat, "123-45-6789", 4, 0).text, "124-56-789");
    EXPECT_EQ(DigitDelete(kSsnFormat, "123-45-6789", 3, 0).text, "123-56-789");
    // A paste of any form is cut to nine digits.
    EXPECT_EQ(DigitReformat(kSsnFormat, " 123 45 6789 0", 14).text, "123-45-6789");
    EXPECT_EQ(SsnLabel("123456789"), "123-45-6789");
    EXPECT_EQ(SsnLabel("12345678"), "");
}

TEST(CaseLabels, NamesGenderLeftWithRoomAndPhones) {
    EXPECT_EQ(PatientFullName("Ann", "", "Lee"), "Ann Lee");
    EXPECT_EQ(PatientFullName("Ann", "B", "Lee"), "Ann B Lee");
    for (const auto& [gender, marital, shown] : std::vector<std::array<const char*, 3>>{
             {"F", "M", "Female, Married"}, {"", "S", "Single"}, {"X", "", "X"}, {"M", "D", "Male, Divorced"}})
        EXPECT_EQ(GenderMaritalText(gender, marital), shown) << gender << marital;
    EXPECT_EQ(LeftWithText("2", "son"), "Left with family member (son)");
    EXPECT_EQ(LeftWithText("1", ""), "Left on their own ");
    EXPECT_EQ(LeftWithText("", "note"), "(note)");
    EXPECT_EQ(RoomText("12", ""), "12");
    EXPECT_EQ(RoomText("12", "B"), "12   Bed: B");
    EXPECT_EQ(PersonDisplayName("Dr.", "Max", "Bell"), "Dr. Max Bell");
    EXPECT_EQ(PersonDisplayName("", "Max", "Bell"), "Max Bell");
}

TEST(CaseLabels, DischargeDateTimeOnTheTwelveHourClock) {
    for (const auto& [stored, shown] : std::vector<std::pair<const char*, const char*>>{
             {"20240307140500", "03/07/2024 2:05 PM"}, {"20240307093000", "03/07/2024 09:30 AM"},
             {"20240307000500", "03/07/2024 12:05 AM"}, {"20240307120000", "03/07/2024 12:00 PM"},
             {"20240307", "03/07/2024"}, {"2024030", ""}, {"20241399120000", ""}, {"03/07/2024", "03/07/2024"}})
        EXPECT_EQ(DateTimeToDisplay(stored), shown) << stored;
    // Empty parts never give a half value.
    EXPECT_EQ(DischargeStamp("20240307", "1405"), "20240307140500");
    EXPECT_EQ(DischargeStamp("20240307", ""), "20240307000000");
    EXPECT_EQ(DischargeStamp("", "1405"), "");
}

TEST(CaseChoices, LanguagesHoldTheSameCodesInBothOrders) {
    ASSERT_EQ(IntakeLanguages().size(), 49u);
    ASSERT_EQ(InfoEditLanguages().size(), 49u);
    EXPECT_STREQ(InfoEditLanguages()[1].code, "SPA");
    EXPECT_STREQ(InfoEditLanguages()[10].code, "AMH");
    EXPECT_STREQ(InfoEditLanguages().back().code, "999");
    EXPECT_EQ(LanguageName("YUE"), "Cantonese (Yue Chinese)");
    EXPECT_EQ(LanguageName("000"), "Other (Specify Below)");
    EXPECT_EQ(LanguageName("XXX"), "");
}

TEST(SubListRows, PhysicianFamilyAndCodeRowsWithTheirSecondText) {
    ListBoxItemClass doctor;
    for (auto [name, value] : {std::pair{"doc11", "Kevin"}, {"doc13", "Schmidt"}, {"doc19", "6145550100"}})
        doctor.SetValue(name, value);
    SubListRowTexts row = SubListTexts(CaseSubList::kPhysicians, doctor);
    EXPECT_EQ(row.first, "Kevin Schmidt");
    EXPECT_EQ(row.second, "(614) 555-0100");
    doctor.SetValue("f13", "Cardiology");
    EXPECT_EQ(SubListTexts(CaseSubList::kPhysicians, doctor).first, "Kevin Schmidt (Cardiology)");

    ListBoxItemClass relative;
    for (auto [name, value] : {std::pair{"f11", "Jan"}, {"f13", "Davis"}, {"f22", "Daughter"}})
        relative.SetValue(name, value);
    EXPECT_EQ(SubListTexts(CaseSubList::kFamily, relative).first, "Jan Davis (Daughter)");

    ListBoxItemClass code;
    code.SetValue("f11", "4280");
    code.SetValue("f1001", "Heart failure");
    row = SubListTexts(CaseSubList::kDiagnosisCodes, code);
    EXPECT_EQ(row.first, "428.0");
    EXPECT_EQ(row.second, "Heart failure");
    EXPECT_FALSE(row.secondAtRight);
    code.SetValue("f11", "4523");
    EXPECT_EQ(SubListTexts(CaseSubList::kTreatmentCodes, code).first, "45.23");
}

TEST(IcdCodes, ShowTheirPointWhereEachBookPutsIt) {
    for (const auto& [code, shown] : std::vector<std::pair<const char*, const char*>>{
             {"25070", "250.70"}, {"V1582", "V15.82"}, {"E0000", "E000.0"}, {"E849", "E849"}, {"042", "042"},
             {"250.70", "250.70"}})
        EXPECT_EQ(IcdCodeText(code, IcdBook::Diagnoses), shown) << code;
    EXPECT_EQ(IcdCodeText("0001", IcdBook::Procedures), "00.01");
    EXPECT_EQ(IcdCodeText("", IcdBook::Procedures), "");
}

}  // namespace
}  // namespace dalvero
