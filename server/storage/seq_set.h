#pragma once
// Sets of Seqs as a record stores them: sorted, runs of consecutive Seqs
// written as ranges ("3-7,12,15"), so a read of thousands of records is one
// short field. The store indexes such a field by words of 64 Seqs (bucket
// seq / 64, a bit per Seq), which lets one statement find every record whose
// set holds a given Seq however long the sets are.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero::server {

// The text of a set given sorted, without repeats.
std::string SeqSetText(const std::vector<std::int64_t>& sortedSeqs);

// The membership words of a set's text: bucket -> bits. Throws StorageError
// when the text is no such set.
std::map<std::int64_t, std::int64_t> SeqSetWords(std::string_view text);

// Where a Seq sits in those words.
inline std::int64_t SeqSetBucket(std::int64_t seq) { return seq >> 6; }
inline std::int64_t SeqSetBit(std::int64_t seq) {
    return static_cast<std::int64_t>(std::uint64_t{1} << static_cast<unsigned>(seq & 63));
}

}  // namespace dalvero::server
