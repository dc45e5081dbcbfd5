#include "need_list_model.h"

namespace dalvero {

cNeedListModel::cNeedListModel(QObject* parent)
    : cRowListModel(parent, [](const std::string& a, const std::string& b) { return a < b; }) {}

void cNeedListModel::Clear() {
    cRowListModel::Clear();
    SetSorted(false);
}

int cNeedListModel::RowOfSeq(const std::string& seq) const {
    return RowWhere([&](const cCaseNeeds& need) { return need.Seq == seq; });
}

void cNeedListModel::SetStatus(int row, std::string status) {
    cCaseNeeds* need = At(row);
    if (!need) return;
    need->Status = std::move(status);
    RefreshRow(row);
}

void cNeedListModel::HeaderClick(int section, int& sortColumn) {
    SortByColumn(section, sortColumn, [](const cCaseNeeds& n, int s) {
        return s == 0 ? n.Required.substr(0, 8) : s == 1 ? n.CategoryName : n.Status;
    });
}

}  // namespace dalvero
