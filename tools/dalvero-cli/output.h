#pragma once
// Records as text for people and scripts: by default one tab-separated line
// per record under a header line, with the bytes that would break a line or a
// column written as escapes; on request CSV (RFC 4180) or strict JSON.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero::cli {

// Backslash, tab, line feed and carriage return as \\, \t, \n and \r, other
// C0 controls, DEL and bytes that are not part of well-formed UTF-8 (a lone
// 0x9b, say) as \xHH, the C1 controls U+0080 to U+009F as \u00HH.
std::string EscapeField(std::string_view value);

// The value an EscapeField text stands for; none when the text holds a
// backslash that EscapeField would not have written.
std::optional<std::string> UnescapeField(std::string_view text);

// Text a server wrote, safe for a terminal: control characters escaped as in
// EscapeField, a backslash kept as it is, so JSON stays JSON.
std::string EscapeServerText(std::string_view text);

// The escaped items joined by tabs, then a line feed.
void WriteRow(std::ostream& out, const std::vector<std::string>& items);

enum class Format { Tsv, Csv, Json };

// Writes records as they come, so a long list never waits in memory: TSV as
// WriteRow writes it; CSV with CR LF line ends, a value quoted (quotes
// doubled) when it holds a comma, a quote or a line break, bytes otherwise as
// stored; JSON as one array of objects keyed by the header's names, every
// value a string. The header is written (or, for JSON, used) even when no
// record follows.
class RecordWriter {
public:
    RecordWriter(std::ostream& out, Format format, std::vector<std::string> header);
    void Row(const std::vector<std::string>& values);
    // Closes the JSON array; nothing for the other formats.
    void Finish();

private:
    void Line(const std::vector<std::string>& values);

    std::ostream& out_;
    Format format_;
    std::vector<std::string> header_;
    bool first_ = true;
};

}  // namespace dalvero::cli
