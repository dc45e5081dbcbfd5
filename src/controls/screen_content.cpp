#include "screen_content.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>

#include "control_text.h"
#include "dialog_seam.h"
#include "field_tag.h"

namespace dalvero {

void cScreenContent::AddControls(std::initializer_list<QWidget*> controls) {
    controls_.insert(controls_.end(), controls.begin(), controls.end());
}

void cScreenContent::AddList(std::function<void()> clear) { lists_.push_back(std::move(clear)); }

void cScreenContent::SetEditable(bool editable) {
    for (QWidget* control : controls_) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setReadOnly(!editable);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) memo->setReadOnly(!editable);
        else if (auto* memo = qobject_cast<QTextEdit*>(control)) memo->setReadOnly(!editable);
        else if (qobject_cast<QComboBox*>(control) || qobject_cast<QCheckBox*>(control)) control->setEnabled(editable);
    }
}

void cScreenContent::Loaded(const std::string& seq) {
    loadedSeq_ = seq;
    SetEditable(true);
}

void cScreenContent::Clear() {
    loadedSeq_.clear();
    for (QWidget* control : controls_) {
        if (auto* combo = qobject_cast<QComboBox*>(control)) combo->setCurrentIndex(-1);
        else if (auto* check = qobject_cast<QCheckBox*>(control)) check->setChecked(false);
        else SetControlText(control, "");
        SetFieldChanged(control, false);
    }
    for (const auto& clear : lists_) clear();
    SetEditable(false);
}

void cScreenContent::LoadFailed(QWidget* parent, const std::string& what) {
    Clear();
    ShowMessageBox(parent,
                   "The " + what +
                       " could not be loaded from the data server.\nNothing of it is shown, and nothing typed is "
                       "saved, until it is opened again.",
                   "Error");
}

cListState::cListState(QAbstractItemView* view, std::string emptyText, std::function<void()> reload,
                       int retryMilliseconds)
    : QObject(view),
      view_(view),
      emptyText_(std::move(emptyText)),
      reload_(std::move(reload)),
      text_(new QLabel(view->viewport())),
      timer_(new QTimer(this)) {
    text_->setObjectName("EmptyListText");
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    text_->setAttribute(Qt::WA_TransparentForMouseEvents);
    text_->setGeometry(view->viewport()->rect());
    text_->hide();
    view->viewport()->installEventFilter(this);
    timer_->setSingleShot(true);
    timer_->setInterval(retryMilliseconds);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (view_->isVisible()) reload_();
    });
}

void cListState::FollowRows() {
    for (const auto& connection : {rowsAdded_, rowsRemoved_, reset_}) disconnect(connection);
    QAbstractItemModel* model = view_->model();
    if (!model) return;
    const auto follow = [this, model] {
        if (loaded_) Show(model->rowCount() == 0 ? emptyText_ : std::string());
    };
    rowsAdded_ = connect(model, &QAbstractItemModel::rowsInserted, this, follow);
    rowsRemoved_ = connect(model, &QAbstractItemModel::rowsRemoved, this, follow);
    reset_ = connect(model, &QAbstractItemModel::modelReset, this, follow);
}

void cListState::Show(const std::string& text) {
    if (!text_) return;
    text_->setText(QString::fromStdString(text));
    text_->setVisible(!text.empty());
}

void cListState::Loaded(int rows) {
    timer_->stop();
    loaded_ = true;
    FollowRows();
    Show(rows == 0 ? emptyText_ : std::string());
}

void cListState::LoadedInPart(int rows) {
    Loaded(rows);
    if (reload_) timer_->start();
}

void cListState::Failed() {
    loaded_ = false;
    Show(reload_ ? kServerUnreachableText : kListNotLoadedText);
    if (reload_) timer_->start();
}

bool cListState::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && text_) text_->setGeometry(view_->viewport()->rect());
    return QObject::eventFilter(watched, event);
}

}  // namespace dalvero
