#pragma once
// An HL7 v2 message as the admission listener reads it: segments split at
// carriage returns (a line feed is taken as one too), the separators read
// from MSH-1 and MSH-2, and every value handed out with its escapes
// (\F\ \S\ \T\ \R\ \E\, \Xhh..\) resolved. Fields are numbered as HL7
// numbers them, MSH-1 being the field separator itself.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero::server::hl7 {

struct Separators {
    char field = '|';
    char component = '^';
    char repetition = '~';
    char escape = '\\';
    char subcomponent = '&';
};

class Message {
public:
    // None unless the text starts with an MSH segment whose separators are
    // five distinct characters other than letters, digits, blanks and
    // segment ends, and every segment has a name of three capitals or digits.
    static std::optional<Message> Parse(std::string_view text);

    bool Has(std::string_view segment) const { return Find(segment) != nullptr; }
    // The first of the segment's repetitions (first), its first component's
    // first subcomponent (with repetition 0 and component 1), unescaped;
    // empty when the message does not hold it.
    std::string Value(std::string_view segment, int field, int component = 1, int repetition = 0) const;
    // How many repetitions the field holds (0 when it is empty).
    int Repetitions(std::string_view segment, int field) const;
    const Separators& separators() const { return separators_; }

    // Text with every separator written as its escape, for a value this
    // system puts into a message.
    static std::string Escape(std::string_view text, const Separators& separators = {});

private:
    struct Segment {
        std::string name;
        std::vector<std::string> fields;  // as split; fields[0] is the name
    };
    const Segment* Find(std::string_view name) const;
    // The raw text of a field, MSH counted from its separator.
    std::string_view Field(std::string_view segment, int field) const;
    std::string Unescape(std::string_view text) const;

    Separators separators_;
    std::vector<Segment> segments_;
};

}  // namespace dalvero::server::hl7
