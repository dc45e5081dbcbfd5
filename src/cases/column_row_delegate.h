#pragma once
// Draws the rows of the case editors and look-ups: one text per column, each
// column a left edge, a width and an alignment; a selected row in white on
// the selection colour.

#include <QStyledItemDelegate>

#include <functional>
#include <string>
#include <vector>

class QAbstractItemModel;
class QHeaderView;
class QListView;

namespace dalvero {

struct ListColumn {
    int left = 0;
    int width = 0;
    // 'L', 'R' or 'C'.
    char align = 'L';
};

class cColumnRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using Cells = std::function<std::vector<std::string>(int row)>;
    using Columns = std::function<std::vector<ListColumn>()>;

    cColumnRowDelegate(Cells cells, Columns columns, int rowHeight, QObject* parent);
    // Left-aligned columns at the sections of header, as they stand when drawn.
    static Columns AtSections(const QHeaderView& header);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    Cells cells_;
    Columns columns_;
    int rowHeight_;
};

// A read-only list of single rows drawn by delegate (which the list takes).
void ShowRows(QListView& list, QAbstractItemModel& model, QAbstractItemDelegate* delegate);

}  // namespace dalvero
