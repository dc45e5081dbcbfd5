#pragma once
// What may be written, whoever writes it; who may write is AuthorizedStorage's
// decision. The rules:
//
// - stored dates and date-times keep their form ("yyyymmdd", alone or with
//   "hhnn" or "hhnnss"), so that no reader meets half a stamp;
// - long texts (the diagnosis notes, the health check-list, a need's
//   description, a quote's note) keep within the caps the screens cut at;
// - a closed case takes no change to its fields, needs or quotes until it is
//   reopened; the reopening itself and the closing of a quote still go.
//
// Each check reads at most the case and one need, by Seq. A broken rule
// comes back as a refusal whose text the user is shown.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "storage.h"

namespace dalvero::server {

struct WriteRefusal {
    enum class Why { BadValue, CaseClosed };
    Why why = Why::BadValue;
    std::string text;
    std::int64_t caseSeq = 0;  // the closed case
};

// The values' own form: dates and text lengths. None when they keep it.
std::optional<WriteRefusal> CheckValueForm(std::string_view table, const FieldValues& values);

// Whether the case a write to table belongs to is open. existing: the record
// updated, none for an add. storage: the store itself, so that reads made for
// the check leave no trail; the refusal names what a caller must let only
// those who may see the case hear.
std::optional<WriteRefusal> CheckCaseOpen(Storage& storage, std::string_view table, const FieldValues& values,
                                          const Record* existing);

// What a refused change to the closed case theCase says, naming who closed it.
std::string ClosedCaseText(Storage& storage, const Record& theCase);

}  // namespace dalvero::server
