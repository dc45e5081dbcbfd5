#pragma once
// The provider categories as the init writes them: the catalogue built into
// the product (provider_categories.h), which the client's pickers show too,
// so every category keeps the Seq the client has for it.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "storage.h"

namespace dalvero::server {

struct CategoryEntry {
    int seq = 0;
    std::string heading;  // the picker's group, stored as the provider type
    std::string caption;
    std::string control;  // "S" + seq, "_n" added for a category listed twice
    bool needPicker = true;  // false: offered by the category selection only
};

// The built-in catalogue's entries, in the pickers' order.
std::vector<CategoryEntry> ProviderCategoryEntries();

struct ProviderCatalogue {
    std::map<std::string, std::int64_t> typeByHeading;  // ProviderTypes Seqs
    std::map<int, std::int64_t> typeOfCategory;          // category Seq -> its type's Seq
};

// Writes one ProviderTypes record per heading and one ProviderCategories
// record per category Seq (f10 its type, f12 its name: the caption of its
// entry not listed twice), in one transaction. Throws InitError when the
// store does not keep a category's Seq.
ProviderCatalogue LoadProviderCatalogue(Storage& storage, const std::vector<CategoryEntry>& entries);

}  // namespace dalvero::server
