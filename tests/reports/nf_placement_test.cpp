// The NF placement call list drawn on a page that records what it is given.

#include <gtest/gtest.h>

#include <algorithm>

#include "nf_placement.h"
#include "print.h"

namespace dalvero::test {
namespace {

// Each page's texts with their places; lines are counted.
class RecordingPrint : public cPrint {
public:
    struct Drawn {
        double x, y;
        std::string text;
        Align align;
        double size;
        bool bold;
    };
    struct Page {
        std::vector<Drawn> texts;
        int lines = 0;
    };

    void SetFont(double size, bool bold) override {
        size_ = size;
        bold_ = bold;
    }
    void Text(double x, double y, std::string_view text, Align align) override {
        pages.back().texts.push_back({x, y, std::string(text), align, size_, bold_});
    }
    void Line(double, double, double, double, double penWidth) override {
        EXPECT_DOUBLE_EQ(penWidth, 0.01);
        ++pages.back().lines;
    }
    void NewPage() override { pages.emplace_back(); }

    // The texts of a page printed at x, top to bottom.
    std::vector<std::string> Column(std::size_t page, double x) const {
        std::vector<std::string> column;
        for (const auto& t : pages.at(page).texts)
            if (t.x == x && t.y > 1.75) column.push_back(t.text);
        return column;
    }
    const Drawn* Find(std::size_t page, const std::string& text) const {
        const auto& texts = pages.at(page).texts;
        const auto found = std::find_if(texts.begin(), texts.end(), [&](const auto& t) { return t.text == text; });
        return found == texts.end() ? nullptr : &*found;
    }

    std::vector<Page> pages{1};

private:
    double size_ = 0;
    bool bold_ = false;
};

NFRefusal Refusal(std::string contacted, std::string facility, std::string reason, std::string note = {}) {
    return {std::move(contacted), std::move(facility), "Kim", "Roe", std::move(reason), std::move(note)};
}

TEST(NFPlacement, EntriesInContactOrderWithTheExplanationOfOtherAndOnlyTheChosenDays) {
    const std::vector<NFRefusal> refusals = {Refusal("20240302091500", "Oak Manor", "8", "No isolation room"),
                                             Refusal("20240301160000", "Elm Care", "2"),
                                             Refusal("20240305100000", "Pine Lodge", "1")};
    const auto all = NFPlacementEntries(refusals, std::nullopt);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].facility, "Elm Care");
    EXPECT_EQ(all[0].contactDate, "03/01/2024 16:00");
    EXPECT_EQ(all[0].contactPerson, "Kim Roe");
    EXPECT_EQ(all[1].refusal, "No isolation room");
    EXPECT_EQ(all[2].refusal, "1");

    const auto chosen = NFPlacementEntries(refusals, DayRange{{2024, 3, 2}, {2024, 3, 5}});
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0].facility, "Oak Manor");
    EXPECT_EQ(NFPatientName("Ann", "", "Lee"), "Ann Lee");
    EXPECT_EQ(NFPatientName("Ann", "B", "Lee"), "Ann B Lee");
}

TEST(NFPlacement, EveryDayStartsAPageAndAFullGridAnother) {
    std::vector<NFRefusal> refusals = {Refusal("20240301090000", "Day one", "1")};
    for (int i = 0; i < 20; ++i)
        refusals.push_back(Refusal("202403021" + std::to_string(i % 10) + "0" + std::to_string(i / 10) + "00",
                                   "Facility " + std::to_string(i), "3"));
    RecordingPrint print;
    PrintNFPlacement(print, {"Ann Lee", "", NFPlacementEntries(refusals, std::nullopt)});

    // One call on the first day fits one page; the second day's 20 calls
    // fill the 19 rows of a page and go on to another.
    ASSERT_EQ(print.pages.size(), 3u);
    EXPECT_EQ(print.Column(0, 0.53), std::vector<std::string>{"Day one"});
    EXPECT_EQ(print.Column(1, 0.53).size(), 19u);
    EXPECT_EQ(print.Column(2, 0.53).size(), 1u);
    EXPECT_EQ(print.Column(0, 8.28), std::vector<std::string>{"1"});

    for (std::size_t page = 0; page < print.pages.size(); ++page) {
        const auto* title = print.Find(page, "Call List for NF Placement");
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->x, 5.5);
        EXPECT_EQ(title->align, cPrint::Align::Centre);
        EXPECT_TRUE(title->bold);
        EXPECT_EQ(title->size, 12);
        ASSERT_NE(print.Find(page, "Page " + std::to_string(page + 1)), nullptr);
        EXPECT_NE(print.Find(page, "Patient Name: Ann Lee"), nullptr);
        EXPECT_NE(print.Find(page, "(7) No gender appropiate beds"), nullptr);
        // Heading box, 19 rows and 7 column lines.
        EXPECT_EQ(print.pages[page].lines, 1 + 20 + 7);
    }
    // A row's text 0.05 below its top line, the first row's at 1.75.
    const auto* first = print.Find(0, "Day one");
    EXPECT_DOUBLE_EQ(first->y, 1.8);
    EXPECT_EQ(first->size, 10);
}

TEST(NFPlacement, AListWithoutCallsStillPrintsItsPage) {
    RecordingPrint print;
    PrintNFPlacement(print, {"Ann Lee", "", {}});
    ASSERT_EQ(print.pages.size(), 1u);
    EXPECT_NE(print.Find(0, "Medi-Cal No.: "), nullptr);
    EXPECT_TRUE(print.Column(0, 0.53).empty());
}

}  // namespace
}  // namespace dalvero::test
