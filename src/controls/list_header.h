#pragma once
// The column header of every list: titled sections of given starting widths
// on light blue, the last one taking the rest of the width, and an arrow on
// the column the list is sorted by.

#include <QHeaderView>

#include <utility>
#include <vector>

class QAbstractScrollArea;
class QStandardItemModel;

namespace dalvero {

class cRowList;

class cListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit cListHeader(QWidget* parent = nullptr);

    // Title and width in pixels of each section, in column order.
    void SetSections(const std::vector<std::pair<const char*, int>>& sections);
    // The list under this header never gets narrower than the columns, so a
    // smaller window does not cut the last ones off.
    void KeepColumnsWhole(QAbstractScrollArea& list) const;
    // Keeps the arrow on the list's sort column, pointing up for ascending
    // order, and none while the rows are not in order; sortColumn is read
    // whenever the rows change and must outlive the header.
    void FollowSort(const cRowList& rows, const int& sortColumn);

    // One line of title high, however the list's rows are drawn (a scroll
    // area's own minimum would leave room for scroll bars it never shows).
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QStandardItemModel* titles_;
};

}  // namespace dalvero
