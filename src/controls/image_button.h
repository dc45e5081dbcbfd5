#pragma once
// Images that act as buttons and tabs: four pictures (normal, selected, hover,
// selected with hover), a hover that at most one button holds program-wide,
// and groups in which one member is the selected tab.

#include <QObject>
#include <QPixmap>
#include <QPointer>

#include <array>
#include <vector>

#include "image_button_art.h"

class QLabel;

namespace dalvero {

class cImageButtonGroup;

class cImageButton : public QObject {
    Q_OBJECT
public:
    enum State { Normal = 0, Selected = 1, Hover = 2, SelectedHover = 3 };

    // Binds `image`: its own pixmap is the normal picture and the image takes
    // that picture's size. Null pictures are absent ones. The button belongs to
    // the image, which Tab reaches and Space (or Return) clicks.
    cImageButton(QLabel* image, const QPixmap& selected = {}, const QPixmap& hover = {},
                 const QPixmap& selectedHover = {});

    // Paints all four pictures from the image's caption (its text), font and
    // size with the client's artwork, and binds it.
    static cImageButton* Painted(QLabel* image, ImageButtonArt::Shape shape);
    // The button bound to `image`, or none.
    static cImageButton* Of(const QWidget* image);

    void SetSelected(bool on);
    void SetHover(bool on);
    // Shows the picture of `state` and keeps the state, only when that picture exists.
    void SetState(int state);
    int State() const { return state_; }
    bool HasPicture(int state) const;
    QLabel* Image() const { return image_; }

    // What a left mouse press does: a grouped button becomes its group's
    // selected member; an ungrouped one shows its pressed picture.
    void Press();
    // A whole click, as Space on the focused button gives: press, release
    // and clicked().
    void Click();

signals:
    // A left press and release both on the image.
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class cImageButtonGroup;
    void ShowPicture(int state);
    void Release();
    void Hovered();

    QLabel* image_;
    // An image whose class is gone is being freed and shows nothing more.
    const QMetaObject* imageClass_;
    std::array<QPixmap, 4> pictures_;
    int state_ = Normal;
    bool pressed_ = false;
    QPointer<cImageButtonGroup> group_;
};

// A strip of tabs: selecting one member unselects the others; hover stays.
class cImageButtonGroup : public QObject {
    Q_OBJECT
public:
    explicit cImageButtonGroup(QObject* parent = nullptr);

    void Add(cImageButton* button);
    void Select(cImageButton* button);

private:
    std::vector<QPointer<cImageButton>> buttons_;
};

// The button that has the hover now, or none.
cImageButton* HoveredImageButton();
// Ends the hover of HoveredImageButton, if any.
void ClearHoveredImageButton();

}  // namespace dalvero
