#include "image_button.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace dalvero {

namespace {
QPointer<cImageButton>& HoverHolder() {
    static QPointer<cImageButton> hovered;
    return hovered;
}
}  // namespace

cImageButton* HoveredImageButton() { return HoverHolder().data(); }

void ClearHoveredImageButton() {
    if (cImageButton* button = HoverHolder().data()) {
        HoverHolder() = nullptr;
        button->SetHover(false);
    }
}

cImageButton::cImageButton(QLabel* image, const QPixmap& selected, const QPixmap& hover, const QPixmap& selectedHover)
    : QObject(image),
      image_(image),
      imageClass_(image->metaObject()),
      pictures_{image->pixmap(), selected, hover, selectedHover} {
    if (!pictures_[Normal].isNull()) image->setFixedSize(pictures_[Normal].deviceIndependentSize().toSize());
    image->setMouseTracking(true);
    // Reached by Tab only: a mouse click leaves the focus where the user typed.
    image->setFocusPolicy(Qt::TabFocus);
    image->installEventFilter(this);
}

cImageButton* cImageButton::Painted(QLabel* image, ImageButtonArt::Shape shape) {
    const QString caption = image->text();
    const QSize size = image->size().isEmpty() ? image->sizeHint() : image->size();
    const qreal ratio = image->devicePixelRatioF();
    std::array<QPixmap, 4> pictures;
    for (int state = Normal; state <= SelectedHover; ++state)
        pictures[state] = ImageButtonArt::Paint(shape, caption, image->font(), size, state, ratio);
    image->setPixmap(pictures[Normal]);
    image->setAccessibleName(caption);
    return new cImageButton(image, pictures[Selected], pictures[Hover], pictures[SelectedHover]);
}

cImageButton* cImageButton::Of(const QWidget* image) {
    return image ? image->findChild<cImageButton*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool cImageButton::HasPicture(int state) const {
    return state >= Normal && state <= SelectedHover && !pictures_[state].isNull();
}

void cImageButton::ShowPicture(int state) {
    if (HasPicture(state)) image_->setPixmap(pictures_[state]);
}

void cImageButton::SetState(int state) {
    if (!HasPicture(state)) return;
    state_ = state;
    image_->setPixmap(pictures_[state]);
}

void cImageButton::SetSelected(bool on) {
    if (on != ((state_ & Selected) != 0)) SetState(on ? state_ + Selected : state_ - Selected);
}

void cImageButton::SetHover(bool on) {
    if (on != ((state_ & Hover) != 0)) SetState(on ? state_ + Hover : state_ - Hover);
}

void cImageButton::Hovered() {
    if (HoveredImageButton() != this) {
        ClearHoveredImageButton();
        HoverHolder() = this;
    }
    SetHover(true);
}

void cImageButton::Press() {
    if (group_)
        group_->Select(this);
    else
        ShowPicture(HasPicture(SelectedHover) ? SelectedHover : Selected);
}

void cImageButton::Release() {
    if (!group_) ShowPicture(HasPicture(Hover) ? Hover : Normal);
}

void cImageButton::Click() {
    Press();
    Release();
    emit clicked();
}

bool cImageButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched->metaObject() != imageClass_) return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        // The outermost pixel row belongs to the surroundings, so leaving the
        // image always crosses it.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (at.x() >= 1 && at.x() < image_->width() - 1 && at.y() >= 1 && at.y() < image_->height() - 1) Hovered();
        return false;
    }
    case QEvent::Leave:
    case QEvent::Hide:
        if (HoveredImageButton() == this) ClearHoveredImageButton();
        return false;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        pressed_ = true;
        Press();
        return true;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        const bool click = pressed_ && image_->rect().contains(mouse->position().toPoint());
        pressed_ = false;
        Release();
        if (click) emit clicked();
        return true;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool activates = key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
                               key->key() == Qt::Key_Enter;
        if (!activates || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        Click();
        return true;
    }
    default:
        return false;
    }
}

cImageButtonGroup::cImageButtonGroup(QObject* parent) : QObject(parent) {}

void cImageButtonGroup::Add(cImageButton* button) {
    button->group_ = this;
    buttons_.emplace_back(button);
}

void cImageButtonGroup::Select(cImageButton* chosen) {
    for (const auto& button : buttons_) {
        if (!button) continue;
        const int hover = button->State() & cImageButton::Hover;
        button->SetState((button == chosen ? cImageButton::Selected : cImageButton::Normal) | hover);
    }
}

}  // namespace dalvero
