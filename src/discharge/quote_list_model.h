#pragma once
// The need dialog's quotes: one DischargeItemListDataClass per quote, listed
// by provider name, sortable by the header's first four columns.

#include <string>
#include <vector>

#include "quote_status.h"
#include "row_list_model.h"
#include "string_list.h"

namespace dalvero {

class dbServerConnection;

struct DischargeItemListDataClass {
    std::string Seq;
    // "pe10" provider name, "f12", "f13" price, "f14" status (upper case),
    // "f15" reason, "f16", "f17", "f1001" note.
    StringList Values;

    QuoteState State() const { return {Values.Value("f14"), Values.Value("f15"), Values.Value("f1001")}; }
    void SetState(const QuoteState& state);
};

// The need's quotes into quotes, rejected ones only when withRejected; false
// when the query fails.
bool QueryNeedQuotes(dbServerConnection& db, const std::string& needSeq, bool withRejected,
                     std::vector<DischargeItemListDataClass>& quotes);

// The price column's text: two decimals, non-numbers as 0.
std::string PriceText(const std::string& price);

class cQuoteListModel : public cRowListModel<DischargeItemListDataClass> {
public:
    // Byte order: the price key is zero-padded.
    explicit cQuoteListModel(QObject* parent = nullptr);

    // Frees the rows; the next rows come unsorted until sorted again.
    void Clear();
    // A row under the provider's name.
    void Add(DischargeItemListDataClass quote);
    DischargeItemListDataClass* Quote(int row) { return At(row); }
    const DischargeItemListDataClass* Quote(int row) const { return At(row); }
    // Sections 4 and 5 (the button and the award) do not sort.
    void HeaderClick(int section, int& sortColumn);
};

}  // namespace dalvero
