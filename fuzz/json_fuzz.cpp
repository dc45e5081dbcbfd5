// The permissive JSON parser: any text parses, and what it writes parses
// again, without a fault the sanitizers see. (Writing is no fixed point: an
// empty nested node writes as nothing and reads back as null.)

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "json_node.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    dalvero::cJsonNode node(text);
    const std::string written = node.ToText();
    for (int i = 0; i < node.Count(); ++i) node.GetString(node.NameAt(static_cast<std::size_t>(i)));
    const dalvero::cJsonNode again(written);
    again.ToText();
    return 0;
}
