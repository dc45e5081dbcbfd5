#pragma once
// The column header of a case list: titled sections of fixed starting
// widths, drawn on light blue.

#include <QHeaderView>

#include <utility>
#include <vector>

class QAbstractScrollArea;
class QStandardItemModel;

namespace dalvero {

class cCaseListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit cCaseListHeader(QWidget* parent = nullptr);

    // Title and width in pixels of each section, in column order.
    void SetSections(const std::vector<std::pair<const char*, int>>& sections);
    // The list under this header never gets narrower than the columns, so a
    // smaller window does not cut the last ones off.
    void KeepColumnsWhole(QAbstractScrollArea& list) const;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QStandardItemModel* titles_;
};

}  // namespace dalvero
