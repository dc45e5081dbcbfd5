#include "ini_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "string_list.h"

namespace dalvero {
namespace {

std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string Unquote(std::string_view value) {
    value = Trim(value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Quotes a value that would not read back as itself.
std::string QuoteIfNeeded(std::string_view value) {
    bool needs = Trim(value).size() != value.size() ||
                 (value.size() >= 2 && value.front() == '"' && value.back() == '"');
    return needs ? "\"" + std::string(value) + "\"" : std::string(value);
}

}  // namespace

bool IniFile::LoadFromFile(const std::string& path) {
    sections_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    Parse(text.str());
    return true;
}

void IniFile::Parse(std::string_view text) {
    sections_.assign(1, Section{});
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

        std::string_view line = Trim(raw);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections_.push_back(Section{std::string(Trim(line.substr(1, line.size() - 2))), {}});
            continue;
        }
        Line entry{{}, {}, std::string(raw)};
        std::size_t equals = line.find('=');
        bool comment = !line.empty() && (line.front() == ';' || line.front() == '#');
        if (!comment && equals != std::string_view::npos && equals > 0) {
            entry.key = std::string(Trim(line.substr(0, equals)));
            entry.value = std::string(line.substr(equals + 1));
        }
        sections_.back().lines.push_back(std::move(entry));
    }
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    for (const Section& s : sections_) {
        if (!s.name.empty() && SameText(s.name, name)) return &s;
    }
    return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(static_cast<const IniFile*>(this)->FindSection(name));
}

const IniFile::Line* IniFile::FindKey(const Section& section, std::string_view key) {
    for (const Line& line : section.lines) {
        if (!line.key.empty() && SameText(line.key, key)) return &line;
    }
    return nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
    const Section* s = FindSection(section);
    const Line* line = s ? FindKey(*s, key) : nullptr;
    return line ? Unquote(line->value) : std::string(fallback);
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    return s && FindKey(*s, key);
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* s = FindSection(section))
        for (const Line& line : s->lines)
            if (!line.key.empty()) keys.push_back(line.key);
    return keys;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (sections_.empty()) sections_.push_back(Section{});
    std::string keyText(Trim(key));
    Line entry{keyText, QuoteIfNeeded(value), {}};
    entry.raw = entry.key + "=" + entry.value;

    Section* s = FindSection(section);
    if (!s) {
        Section& last = sections_.back();
        bool fileEmpty = sections_.size() == 1 && last.lines.empty();
        if (!fileEmpty && (last.lines.empty() || !Trim(last.lines.back().raw).empty())) {
            last.lines.push_back(Line{{}, {}, {}});
        }
        sections_.push_back(Section{std::string(Trim(section)), {std::move(entry)}});
        return;
    }
    if (Line* line = const_cast<Line*>(FindKey(*s, keyText))) {
        *line = std::move(entry);
        return;
    }
    // After the section's last key, ahead of the blank lines that part it
    // from the next section.
    auto at = s->lines.end();
    while (at != s->lines.begin() && (at - 1)->key.empty() && Trim((at - 1)->raw).empty()) --at;
    s->lines.insert(at, std::move(entry));
}

std::string IniFile::ToText() const {
    std::string text;
    for (const Section& s : sections_) {
        if (!s.name.empty()) text += "[" + s.name + "]\n";
        for (const Line& line : s.lines) text += line.raw + "\n";
    }
    return text;
}

bool IniFile::SaveToFile(const std::string& path, unsigned mode) const {
    std::string temp = path + ".tmp";
    unlink(temp.c_str());
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return false;
    std::string text = ToText();
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    bool ok = done == text.size() && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
    unlink(temp.c_str());
    return false;
}

}  // namespace dalvero
