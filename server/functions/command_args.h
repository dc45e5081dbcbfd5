#pragma once
// Reading a command's arguments. Every argument arrives as text; record
// numbers are checked here before any of them reaches the store.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json_node.h"

namespace dalvero::server::functions {

// A Seq written as plain decimal digits (blanks around allowed), else nullopt.
std::optional<std::int64_t> ParseSeq(std::string_view text);

// The Seqs of comma-separated text; items that are not Seqs are left out.
std::vector<std::int64_t> ParseSeqList(std::string_view text);

// The Seq in member `name`; CommandError naming `what` when it is missing or
// not a Seq.
std::int64_t RequiredSeq(const cJsonNode& request, std::string_view name, std::string_view what);

// "Y" in any letter case.
bool IsYes(std::string_view text);

}  // namespace dalvero::server::functions
