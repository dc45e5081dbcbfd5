#pragma once
// Draws a quote row of the need dialog: provider, price, status word, note,
// a "Change Status" button and the "Awarded" circle, the awarded quote in
// bold. The button's and the circle's places are also where clicks land;
// while the list has the focus, the current row's button or circle (the
// part the keys are on) is marked.

#include <QStyledItemDelegate>

#include <functional>
#include <string>

class QHeaderView;

namespace dalvero {

class cQuoteListModel;

inline constexpr int kQuoteRowHeight = 23;

class cQuoteRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // awarded gives the Seq of the need's awarded quote.
    cQuoteRowDelegate(const cQuoteListModel& rows, const QHeaderView& header, std::function<std::string()> awarded,
                      QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // In the coordinates of the row rectangle's parent (the list's viewport).
    static QRect ChangeStatusRect(const QHeaderView& header, const QRect& row);
    static QRect AwardedRect(const QHeaderView& header, const QRect& row);

    // Which part of the current row the keys are on: the circle, or the button.
    void SetKeysOnAward(bool onAward) { keysOnAward_ = onAward; }
    bool KeysOnAward() const { return keysOnAward_; }

private:
    const cQuoteListModel& rows_;
    const QHeaderView& header_;
    std::function<std::string()> awarded_;
    bool keysOnAward_ = false;
};

}  // namespace dalvero
