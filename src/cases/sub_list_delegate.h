#pragma once
// How the case screen draws the rows of its physician, family and code
// lists: a first text at the left and a second one, right-aligned near the
// right edge (phone numbers) or in a column of its own (code descriptions).

#include <QStyledItemDelegate>

#include <string>

#include "case_queries.h"
#include "item_list_model.h"

namespace dalvero {

class ListBoxItemClass;

struct SubListRowTexts {
    std::string first;
    std::string second;
    // The second text ends this far from the right edge; otherwise it starts
    // at secondLeft.
    bool secondAtRight = true;
};
inline constexpr int kSubListRightGap = 25;
inline constexpr int kSubListSecondLeft = 60;

SubListRowTexts SubListTexts(CaseSubList which, const ListBoxItemClass& item);

class cSubListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    cSubListDelegate(CaseSubList which, const cItemListModel& rows, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    CaseSubList which_;
    const cItemListModel& rows_;
};

}  // namespace dalvero
