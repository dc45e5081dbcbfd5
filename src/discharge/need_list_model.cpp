#include "need_list_model.h"

namespace dalvero {

void cNeedListModel::Clear() {
    ClearRows();
    needs_.clear();
}

void cNeedListModel::Add(std::string text, cCaseNeeds need) {
    needs_.push_back(std::move(need));
    AddRow(std::move(text));
}

const cCaseNeeds* cNeedListModel::Need(int row) const {
    return row >= 0 && row < rowCount() ? &needs_[ItemOfRow(row)] : nullptr;
}

int cNeedListModel::RowOfSeq(const std::string& seq) const {
    for (std::size_t i = 0; i < needs_.size(); ++i)
        if (needs_[i].Seq == seq) return RowOfItem(i);
    return -1;
}

void cNeedListModel::SetStatus(int row, std::string status) {
    if (row < 0 || row >= rowCount()) return;
    needs_[ItemOfRow(row)].Status = std::move(status);
    RefreshRow(row);
}

void cNeedListModel::HeaderClick(int section, int& sortColumn) {
    cSortableListModel::HeaderClick(section, sortColumn, [this](std::size_t item, int s) {
        const cCaseNeeds& n = needs_[item];
        return s == 0 ? n.Required.substr(0, 8) : s == 1 ? n.CategoryName : n.Status;
    });
}

}  // namespace dalvero
