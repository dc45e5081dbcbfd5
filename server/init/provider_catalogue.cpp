#include "provider_catalogue.h"

#include <fstream>

#include "init_error.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero::server {
namespace {

namespace cat = dalvero::catalogue;
constexpr int kCategoryType = 10;

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace

std::vector<CategoryEntry> ReadProviderCategories(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw InitError("cannot read " + file.string());
    std::vector<CategoryEntry> entries;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1 || line.empty()) continue;
        std::vector<std::string> f = SplitTabs(line);
        CategoryEntry entry;
        if (f.size() == 5) entry = {ToIntDef(f[0], 0), f[1], f[2], f[3], f[4] == "Y"};
        bool controlMatches = entry.control == "S" + f[0] || entry.control.rfind("S" + f[0] + "_", 0) == 0;
        if (f.size() != 5 || entry.seq <= 0 || entry.heading.empty() || entry.caption.empty() || !controlMatches ||
            (f[4] != "Y" && f[4] != "N")) {
            throw InitError(file.string() + ":" + std::to_string(number) +
                            ": expected seq, heading, caption, control S<seq>[_n] and Y or N");
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

ProviderCatalogue LoadProviderCatalogue(Storage& storage, const std::vector<CategoryEntry>& entries) {
    ProviderCatalogue catalogue;
    storage.InTransaction([&] {
        for (const CategoryEntry& entry : entries) {
            if (catalogue.typeByHeading.count(entry.heading)) continue;
            catalogue.typeByHeading[entry.heading] =
                storage.Add(cat::tbl::kProviderTypes, {{cat::provider_types::kName, entry.heading}});
        }
        std::map<int, const CategoryEntry*> named;  // in Seq order
        for (const CategoryEntry& entry : entries) {
            if (entry.control.find('_') != std::string::npos) continue;
            if (!named.emplace(entry.seq, &entry).second) {
                throw InitError("category " + std::to_string(entry.seq) + " is listed twice without a serial number");
            }
        }
        for (const CategoryEntry& entry : entries) {
            if (!named.count(entry.seq)) throw InitError("category " + std::to_string(entry.seq) + " is only listed twice");
        }
        if (named.empty()) throw InitError("no provider categories");
        // The store hands out Seqs itself, one up from the last, in a fresh
        // table from 1: the numbers no category has are taken by records
        // that are removed at once (and never handed out again).
        if (storage.Count(cat::tbl::kProviderCategories, {}) != 0) throw InitError("ProviderCategories is not empty");
        std::vector<std::int64_t> gaps;
        for (int seq = 1; seq <= named.rbegin()->first; ++seq) {
            auto found = named.find(seq);
            FieldValues values;
            if (found != named.end()) {
                std::int64_t type = catalogue.typeByHeading.at(found->second->heading);
                values = {{kCategoryType, std::to_string(type)}, {cat::provider_categories::kName, found->second->caption}};
                catalogue.typeOfCategory[seq] = type;
            }
            std::int64_t stored = storage.Add(cat::tbl::kProviderCategories, values);
            if (stored != seq) {
                throw InitError("the store gave category " + std::to_string(seq) + " the Seq " + std::to_string(stored));
            }
            if (found == named.end()) gaps.push_back(stored);
        }
        for (std::int64_t gap : gaps) storage.Remove(cat::tbl::kProviderCategories, gap);
    });
    return catalogue;
}

}  // namespace dalvero::server
