#pragma once
// A small .ini reader and writer: "[Section]" headers and "Key=Value" lines,
// sections and keys found without regard to letter case, comments (";" or
// "#") and blank lines kept as they were when the file is written back.

#include <string>
#include <string_view>
#include <vector>

namespace dalvero {

class IniFile {
public:
    IniFile() = default;

    // Replaces the content with the file's; false (and empty content) when
    // the file cannot be read.
    bool LoadFromFile(const std::string& path);
    void Parse(std::string_view text);

    // The first value of the key in the first section of that name, without
    // surrounding blanks or one pair of enclosing double quotes; `fallback`
    // when the section or key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback = {}) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    // The keys of the first section of that name, in file order, as written.
    std::vector<std::string> Keys(std::string_view section) const;

    // Replaces the key's value, or adds the key at the end of its section,
    // or adds the section at the end of the file.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

    std::string ToText() const;
    // Writes the whole text to a temporary file beside `path` and renames it
    // over `path`, so a reader never sees half a file. `mode` applies to a
    // newly made file (0600 for files holding secrets).
    bool SaveToFile(const std::string& path, unsigned mode = 0644) const;

private:
    struct Line {
        std::string key;    // empty: a comment, blank or unreadable line kept verbatim
        std::string value;  // as read, before quotes are stripped
        std::string raw;
    };
    struct Section {
        std::string name;  // empty for the lines before the first header
        std::vector<Line> lines;
    };
    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    static const Line* FindKey(const Section& section, std::string_view key);

    std::vector<Section> sections_;
};

}  // namespace dalvero
