#pragma once
// What a screen does when reading from the servers fails. Every screen that
// shows a record follows the same rules, through cScreenContent:
//
//   - it registers the controls and lists that show read data
//     (AddControls, AddList) once, when it is built;
//   - after a load that succeeded it calls Loaded(seq): its controls take
//     typing and their changes go to that record only (LoadedSeq());
//   - after a load that failed it calls LoadFailed(parent, what): every
//     registered control and list is emptied, the controls stop taking
//     typing, LoadedSeq() becomes empty, and the user is told through the
//     dialog seam. Nothing of an earlier record stays on view, and nothing
//     can be written until a load succeeds.
//
// Lists follow cListState: "No ... " when a load finds no rows (and again
// when its last row is taken away); when it fails, a text saying so, and for
// a list that can reload itself a retry on a timer while it is on view.

#include <QLabel>
#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class QAbstractItemView;
class QTimer;
class QWidget;

namespace dalvero {

class cScreenContent {
public:
    // Controls showing read data: labels, edits, memos, drop-downs, check
    // boxes.
    void AddControls(std::initializer_list<QWidget*> controls);
    // clear empties one list and frees its rows.
    void AddList(std::function<void()> clear);

    void Loaded(const std::string& seq);
    // Empties everything registered; nothing is loaded afterwards.
    void Clear();
    // Clear, then one message: "The <what> could not be loaded ...".
    void LoadFailed(QWidget* parent, const std::string& what);
    // The record the controls show; empty when none may be written.
    const std::string& LoadedSeq() const { return loadedSeq_; }

private:
    void SetEditable(bool editable);

    std::vector<QWidget*> controls_;
    std::vector<std::function<void()>> lists_;
    std::string loadedSeq_;
};

// The text shown inside a list that failed to load and tries again.
inline constexpr char kServerUnreachableText[] = "The data server cannot be reached \u2014 retrying";
// The text shown inside a list that failed to load and waits for the user.
inline constexpr char kListNotLoadedText[] = "This list could not be loaded from the data server";

// The empty-state text inside a list view and the retry of a failed load.
class cListState : public QObject {
    Q_OBJECT
public:
    // emptyText is shown when a load finds no rows ("No open cases"); reload,
    // when given, loads the list again after a failure.
    cListState(QAbstractItemView* view, std::string emptyText, std::function<void()> reload = {},
               int retryMilliseconds = 5000);

    // For lists whose empty text depends on what was asked ("No providers
    // match within 25 miles"); shown from the next load on.
    void SetEmptyText(std::string emptyText) { emptyText_ = std::move(emptyText); }

    // A load that succeeded with rows rows.
    void Loaded(int rows);
    // A load whose rows came but not all they show (the case statuses): the
    // rows stay on view and the list is loaded again after a while.
    void LoadedInPart(int rows);
    // A load that failed: says so in the list and reloads after a while, as
    // long as the list is on view (otherwise its next visit reloads it).
    void Failed();

    QLabel* EmptyText() const { return text_; }
    QTimer* RetryTimer() const { return timer_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const std::string& text);
    // After a load the text follows the rows the user adds and removes.
    void FollowRows();

    QAbstractItemView* view_;
    std::string emptyText_;
    std::function<void()> reload_;
    // Gone first while the view is freed, which can still reset its model.
    QPointer<QLabel> text_;
    QTimer* timer_;
    bool loaded_ = false;
    QMetaObject::Connection rowsAdded_, rowsRemoved_, reset_;
};

}  // namespace dalvero
