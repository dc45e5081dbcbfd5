#pragma once
// The fixed catalogue of provider categories. The server's init writes one
// ProviderCategories record per Seq from it, and the need type picker and
// the category selection build their entries from it, so the Seqs a client
// shows and the records on the server can never disagree.

#include <array>
#include <string_view>

namespace dalvero {

struct ProviderCategory {
    int seq;
    std::string_view heading;  // the group shown in the pickers; also the provider type
    std::string_view caption;
    // "S" + seq, with "_1" for a category listed a second time.
    std::string_view control;
    bool needPicker;  // false: offered by the category selection only
};

// In the pickers' order: by heading, then as each heading lists them.
extern const std::array<ProviderCategory, 83> kProviderCategories;

// The category Seq a picker control names ("S139_1" -> 139); 0 when the name
// is not such a control.
int CategorySeqOfControl(std::string_view control);

}  // namespace dalvero
