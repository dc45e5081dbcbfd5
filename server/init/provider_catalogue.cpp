#include "provider_catalogue.h"

#include "init_error.h"
#include "provider_categories.h"
#include "table_catalogue.h"

namespace dalvero::server {
namespace {

namespace cat = dalvero::catalogue;
constexpr int kCategoryType = 10;

}  // namespace

std::vector<CategoryEntry> ProviderCategoryEntries() {
    std::vector<CategoryEntry> entries;
    for (const ProviderCategory& c : kProviderCategories)
        entries.push_back(
            {c.seq, std::string(c.heading), std::string(c.caption), std::string(c.control), c.needPicker});
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
