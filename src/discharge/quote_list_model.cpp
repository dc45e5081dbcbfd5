#include "quote_list_model.h"

#include <cctype>
#include <cstdio>

#include "record_batch.h"
#include "table_catalogue.h"

namespace dalvero {
namespace {
namespace cat = catalogue;
constexpr int kMostQuotes = 1000;
constexpr char kQuoteFields[] = "pe10,f12,f13,f14,f15,f16,f1001";

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

void DischargeItemListDataClass::SetState(const QuoteState& state) {
    // Kept as "name=" when empty, so that every key stays listed.
    for (auto [name, value] : {std::pair<const char*, const std::string*>{"f14", &state.status},
                               {"f15", &state.reason},
                               {"f1001", &state.note}}) {
        const int at = Values.IndexOfName(name);
        const std::string item = std::string(name) + "=" + *value;
        if (at < 0)
            Values.push_back(item);
        else
            Values[static_cast<std::size_t>(at)] = item;
    }
}

bool QueryNeedQuotes(dbServerConnection& db, const std::string& needSeq, bool withRejected,
                     std::vector<DischargeItemListDataClass>& quotes) {
    quotes.clear();
    cRecordBatch batch;
    if (!batch.Query(&db, cat::tbl::kCaseNeedsQuote, cat::kListByOwner, needSeq, "", 0, kMostQuotes, kQuoteFields,
                     cat::join::kQuoteProvider, "", "F"))
        return false;
    cBatchSet& set = *batch.Set;
    if (!set.First()) return true;
    do {
        const std::string status = Upper(set.ReadField(cat::quotes::kStatus));
        if (!withRejected && status == cat::quotes::kRejected) continue;
        DischargeItemListDataClass quote;
        quote.Seq = set.Seq;
        for (const char* name : {"pe10", "f12", "f13", "f15", "f16", "f17", "f1001"})
            quote.Values.push_back(std::string(name) + "=" + set.ReadField(name));
        quote.Values.push_back("f14=" + status);
        quotes.push_back(std::move(quote));
    } while (set.Next());
    return true;
}

std::string PriceText(const std::string& price) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", ToFloatDef(price, 0));
    return text;
}

cQuoteListModel::cQuoteListModel(QObject* parent)
    : cRowListModel(parent, [](const std::string& a, const std::string& b) { return a < b; }) {}

void cQuoteListModel::Clear() {
    cRowListModel::Clear();
    SetSorted(false);
}

void cQuoteListModel::Add(DischargeItemListDataClass quote) {
    std::string text = quote.Values.Value("pe10");
    cRowListModel::Add(std::move(text), std::move(quote));
}

void cQuoteListModel::HeaderClick(int section, int& sortColumn) {
    if (section < 0 || section > 3) return;
    SortByColumn(section, sortColumn, [](const DischargeItemListDataClass& q, int s) -> std::string {
        if (s == 0) return q.Values.Value("pe10");
        if (s == 1) {
            char key[64];
            std::snprintf(key, sizeof key, "%012.2f", ToFloatDef(q.Values.Value("f13"), 0));
            return key;
        }
        if (s == 2) return QuoteStatusWord(q.State().status);
        return QuoteNoteText(q.State());
    });
}

}  // namespace dalvero
