#pragma once
// Draws a row of the needs list: the required date and the category on the
// first line, the description on the second, the status box in the colour of
// the legend with its text under it, and a grey band at the bottom.

#include <QColor>
#include <QStyledItemDelegate>

#include <functional>

class QHeaderView;

namespace dalvero {

class cNeedListModel;
enum class NeedColour;

inline constexpr int kNeedRowHeight = 55;

class cNeedRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // colourOf gives the legend's colour of a status colour; dimmed tells
    // whether a need dialog is open over the list.
    cNeedRowDelegate(const cNeedListModel& rows, const QHeaderView& header,
                     std::function<QColor(NeedColour)> colourOf, std::function<bool()> dimmed, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const cNeedListModel& rows_;
    const QHeaderView& header_;
    std::function<QColor(NeedColour)> colourOf_;
    std::function<bool()> dimmed_;
};

}  // namespace dalvero
