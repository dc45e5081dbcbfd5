#include "seq_set.h"

#include "storage.h"
#include "whole_number.h"

namespace dalvero::server {

std::string SeqSetText(const std::vector<std::int64_t>& sortedSeqs) {
    std::string text;
    for (std::size_t i = 0; i < sortedSeqs.size();) {
        std::size_t last = i;
        while (last + 1 < sortedSeqs.size() && sortedSeqs[last + 1] == sortedSeqs[last] + 1) ++last;
        if (!text.empty()) text += ',';
        text += std::to_string(sortedSeqs[i]);
        if (last > i) text += '-' + std::to_string(sortedSeqs[last]);
        i = last + 1;
    }
    return text;
}

std::map<std::int64_t, std::int64_t> SeqSetWords(std::string_view text) {
    std::map<std::int64_t, std::int64_t> words;
    auto seqOf = [&](std::string_view part) {
        const std::optional<std::int64_t> seq = ParseWholeNumber(part);
        if (!seq || *seq < 1) throw StorageError("not a set of Seqs: " + std::string(text.substr(0, 80)));
        return *seq;
    };
    std::int64_t previous = 0;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t dash = part.find('-');
        const std::int64_t first = seqOf(part.substr(0, dash));
        const std::int64_t last = dash == std::string_view::npos ? first : seqOf(part.substr(dash + 1));
        // Ascending and apart, as SeqSetText writes them: anything else was
        // not written by the server.
        if (first <= previous || last < first) throw StorageError("not a set of Seqs in order");
        for (std::int64_t seq = first; seq <= last; ++seq) words[SeqSetBucket(seq)] |= SeqSetBit(seq);
        previous = last;
    }
    return words;
}

}  // namespace dalvero::server
