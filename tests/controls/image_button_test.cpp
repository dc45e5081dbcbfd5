#include "image_button.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <tuple>

namespace dalvero {
namespace {

const QColor kNormal(Qt::white);
const QColor kSelected(Qt::blue);
const QColor kHover(Qt::yellow);
const QColor kSelectedHover(Qt::green);

QPixmap Solid(const QColor& colour) {
    QPixmap picture(40, 20);
    picture.fill(colour);
    return picture;
}

QColor Shown(const cImageButton* button) { return button->Image()->pixmap().toImage().pixelColor(20, 10); }

void MoveMouse(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void Leave(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

// Each button's state as N(ormal), S(elected), H(over) or B(oth).
std::string States(std::initializer_list<const cImageButton*> buttons) {
    std::string states;
    for (const cImageButton* button : buttons) states += "NSHB"[button->State()];
    return states;
}

class ImageButtonTest : public ::testing::Test {
protected:
    void TearDown() override { ClearHoveredImageButton(); }

    cImageButton* Make(bool withSelected = true, bool withHover = true) {
        auto* image = new QLabel(&window_);
        image->setPixmap(Solid(kNormal));
        image->move(50 * static_cast<int>(window_.children().size()), 10);
        return new cImageButton(image, withSelected ? Solid(kSelected) : QPixmap(),
                                withHover ? Solid(kHover) : QPixmap(),
                                withSelected ? Solid(kSelectedHover) : QPixmap());
    }

    QWidget window_;
};

TEST_F(ImageButtonTest, SelectAndHoverAddUpToFourStates) {
    auto* button = Make();
    EXPECT_EQ(cImageButton::Of(button->Image()), button);
    const std::vector<std::tuple<bool, bool, int, QColor>> steps{
        {true, false, cImageButton::Selected, kSelected}, {true, true, cImageButton::SelectedHover, kSelectedHover},
        {false, true, cImageButton::Hover, kHover}, {false, false, cImageButton::Normal, kNormal}};
    for (const auto& [selected, hover, state, colour] : steps) {
        button->SetSelected(selected);
        button->SetHover(hover);
        EXPECT_EQ(button->State(), state);
        EXPECT_EQ(Shown(button), colour) << state;
    }
    // A state without its picture is not taken.
    auto* hoverOnly = Make(false, true);
    hoverOnly->SetSelected(true);
    EXPECT_EQ(hoverOnly->State(), cImageButton::Normal);
    EXPECT_EQ(Shown(hoverOnly), kNormal);
    hoverOnly->SetHover(true);
    hoverOnly->SetState(cImageButton::SelectedHover);
    EXPECT_EQ(hoverOnly->State(), cImageButton::Hover);
}

TEST_F(ImageButtonTest, GroupSelectsOneMemberAndHoverSurvives) {
    cImageButtonGroup group;
    auto* a = Make();
    auto* b = Make();
    auto* c = Make();
    for (auto* button : {a, b, c}) group.Add(button);
    a->SetHover(true);

    group.Select(b);
    EXPECT_EQ(States({a, b, c}), "HSN");
    group.Select(a);
    EXPECT_EQ(States({a, b, c}), "BNN");
    // A press on a grouped image selects it as a tab.
    QTest::mouseClick(c->Image(), Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(States({a, b, c}), "HNS");
    EXPECT_EQ(Shown(c), kSelected);
}

TEST_F(ImageButtonTest, OneHoveredButtonProgramWide) {
    auto* a = Make();
    auto* b = Make();
    MoveMouse(a->Image(), {0, 0});  // the outer pixel row does not count
    EXPECT_EQ(HoveredImageButton(), nullptr);
    MoveMouse(a->Image(), {10, 10});
    EXPECT_EQ(HoveredImageButton(), a);
    EXPECT_EQ(States({a, b}), "HN");
    MoveMouse(b->Image(), {5, 5});
    EXPECT_EQ(HoveredImageButton(), b);
    EXPECT_EQ(States({a, b}), "NH");
    Leave(a->Image());  // not the hovered one
    EXPECT_EQ(HoveredImageButton(), b);
    Leave(b->Image());
    EXPECT_EQ(HoveredImageButton(), nullptr);
    EXPECT_EQ(States({a, b}), "NN");
    MoveMouse(a->Image(), {10, 10});
    ClearHoveredImageButton();
    EXPECT_EQ(HoveredImageButton(), nullptr);
    EXPECT_EQ(a->State(), cImageButton::Normal);

    // A hovered button freed with its image is forgotten, not left dangling.
    MoveMouse(a->Image(), {10, 10});
    ASSERT_EQ(HoveredImageButton(), a);
    delete a->Image();
    EXPECT_EQ(HoveredImageButton(), nullptr);
}

TEST_F(ImageButtonTest, UngroupedPressShowsPressedPictureAndClicksOnRelease) {
    auto* button = Make();
    QSignalSpy clicks(button, &cImageButton::clicked);
    QTest::mousePress(button->Image(), Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(Shown(button), kSelectedHover);
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseRelease(button->Image(), Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(Shown(button), kHover);
    EXPECT_EQ(clicks.count(), 1);

    // Released outside the image: no click.
    QTest::mousePress(button->Image(), Qt::LeftButton, {}, {10, 10});
    QTest::mouseRelease(button->Image(), Qt::LeftButton, {}, {60, 10});
    EXPECT_EQ(clicks.count(), 1);

    auto* plain = Make(false, false);
    QTest::mousePress(plain->Image(), Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(Shown(plain), kNormal);
}

TEST(ImageButtonArt, PaintedButtonHasFourDistinctPictures) {
    QWidget window;
    auto* image = new QLabel("Case History", &window);
    image->resize(130, 32);
    cImageButton* button = cImageButton::Painted(image, ImageButtonArt::Shape::Tab);
    EXPECT_EQ(image->size(), QSize(130, 32));
    EXPECT_EQ(image->accessibleName(), "Case History");
    std::vector<QImage> pictures;
    for (int state = 0; state < 4; ++state) {
        button->SetState(state);
        pictures.push_back(image->pixmap().toImage());
        for (int before = 0; before < state; ++before) EXPECT_NE(pictures[before], pictures[state]) << before << state;
    }
}

}  // namespace
}  // namespace dalvero
