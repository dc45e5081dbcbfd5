#include "image_button.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

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
    EXPECT_EQ(button->Image()->size(), QSize(40, 20));
    EXPECT_TRUE(button->Image()->hasMouseTracking());
    EXPECT_EQ(cImageButton::Of(button->Image()), button);
    EXPECT_EQ(button->State(), cImageButton::Normal);

    button->SetSelected(true);
    EXPECT_EQ(button->State(), cImageButton::Selected);
    EXPECT_EQ(Shown(button), kSelected);
    button->SetSelected(true);
    EXPECT_EQ(button->State(), cImageButton::Selected);
    button->SetHover(true);
    EXPECT_EQ(button->State(), cImageButton::SelectedHover);
    EXPECT_EQ(Shown(button), kSelectedHover);
    button->SetSelected(false);
    EXPECT_EQ(button->State(), cImageButton::Hover);
    EXPECT_EQ(Shown(button), kHover);
    button->SetHover(false);
    EXPECT_EQ(button->State(), cImageButton::Normal);
    EXPECT_EQ(Shown(button), kNormal);

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
    EXPECT_EQ(a->State(), cImageButton::Hover);
    EXPECT_EQ(b->State(), cImageButton::Selected);
    EXPECT_EQ(c->State(), cImageButton::Normal);

    group.Select(a);
    EXPECT_EQ(a->State(), cImageButton::SelectedHover);
    EXPECT_EQ(b->State(), cImageButton::Normal);
    EXPECT_EQ(c->State(), cImageButton::Normal);

    // A press on a grouped image selects it as a tab.
    QTest::mouseClick(c->Image(), Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(a->State(), cImageButton::Hover);
    EXPECT_EQ(c->State(), cImageButton::Selected);
    EXPECT_EQ(Shown(c), kSelected);
}

TEST_F(ImageButtonTest, OneHoveredButtonProgramWide) {
    auto* a = Make();
    auto* b = Make();
    MoveMouse(a->Image(), {0, 0});  // the outer pixel row does not count
    EXPECT_EQ(HoveredImageButton(), nullptr);
    MoveMouse(a->Image(), {10, 10});
    EXPECT_EQ(HoveredImageButton(), a);
    EXPECT_EQ(a->State(), cImageButton::Hover);

    MoveMouse(b->Image(), {5, 5});
    EXPECT_EQ(HoveredImageButton(), b);
    EXPECT_EQ(a->State(), cImageButton::Normal);
    EXPECT_EQ(b->State(), cImageButton::Hover);

    Leave(a->Image());  // not the hovered one
    EXPECT_EQ(HoveredImageButton(), b);
    Leave(b->Image());
    EXPECT_EQ(HoveredImageButton(), nullptr);
    EXPECT_EQ(b->State(), cImageButton::Normal);

    MoveMouse(a->Image(), {10, 10});
    ClearHoveredImageButton();
    EXPECT_EQ(HoveredImageButton(), nullptr);
    EXPECT_EQ(a->State(), cImageButton::Normal);
}

TEST_F(ImageButtonTest, AFreedHoveredButtonIsForgotten) {
    auto* a = Make();
    MoveMouse(a->Image(), {10, 10});
    ASSERT_EQ(HoveredImageButton(), a);
    delete a->Image();
    EXPECT_EQ(HoveredImageButton(), nullptr);
    ClearHoveredImageButton();
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

TEST(ImageButtonArt, PaintedButtonHasFourDistinctCrispPictures) {
    const QPixmap dense =
        ImageButtonArt::Paint(ImageButtonArt::Shape::Tab, "Case Information", QFont(), QSize(120, 30), 0, 2.0);
    EXPECT_EQ(dense.size(), QSize(240, 60));
    EXPECT_EQ(dense.deviceIndependentSize(), QSizeF(120, 30));

    QWidget window;
    auto* image = new QLabel("Case History", &window);
    image->resize(130, 32);
    cImageButton* button = cImageButton::Painted(image, ImageButtonArt::Shape::Tab);
    EXPECT_EQ(image->size(), QSize(130, 32));
    EXPECT_EQ(image->accessibleName(), "Case History");
    std::vector<QImage> pictures;
    for (int state = 0; state < 4; ++state) {
        button->SetState(state);
        ASSERT_EQ(button->State(), state);
        pictures.push_back(image->pixmap().toImage());
    }
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j) EXPECT_NE(pictures[i], pictures[j]) << "states " << i << " and " << j;
}

}  // namespace
}  // namespace dalvero
