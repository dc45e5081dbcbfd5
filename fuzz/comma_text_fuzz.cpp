// The comma-text and name=value codec: any text reads without fault, and a
// list written out reads back as the same list.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "string_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    dalvero::StringList list;
    list.SetCommaText(text);
    const std::string written = list.CommaText();
    if (dalvero::ParseCommaText(written) != list.items()) __builtin_trap();

    // Name=value access with names taken from the text itself.
    for (const std::string& item : dalvero::StringList(list.items())) {
        const std::string name = item.substr(0, item.find('='));
        list.Value(name);
        list.SetValue(name, item);
        list.SetValue(name, {});
        if (!name.empty() && !list.Value(name).empty() && list.IndexOfName(name) < 0) __builtin_trap();
    }
    dalvero::ToIntDef(text, 0);
    dalvero::ToFloatDef(text, 0);
    return 0;
}
