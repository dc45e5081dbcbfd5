#include "command_args.h"

#include <charconv>

#include "command_context.h"

namespace dalvero::server::functions {

std::optional<std::int64_t> ParseSeq(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

std::vector<std::int64_t> ParseSeqList(std::string_view text) {
    std::vector<std::int64_t> seqs;
    while (!text.empty()) {
        const auto comma = text.find(',');
        if (auto seq = ParseSeq(text.substr(0, comma))) seqs.push_back(*seq);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return seqs;
}

std::int64_t RequiredSeq(const cJsonNode& request, std::string_view name, std::string_view what) {
    const std::string text = request.GetString(name);
    if (text.empty()) throw CommandError("No " + std::string(what) + " was given (" + std::string(name) + ").");
    const auto seq = ParseSeq(text);
    if (!seq) throw CommandError("\"" + text + "\" is not a valid " + std::string(what) + " number.");
    return *seq;
}

bool IsYes(std::string_view text) { return text == "Y" || text == "y"; }

}  // namespace dalvero::server::functions
