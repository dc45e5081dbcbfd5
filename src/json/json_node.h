#pragma once
// The permissive JSON-like tree of the FunctionServer wire format and of the
// health-detail text: single or double quotes, bare names and words on input;
// bare names and words on output. Malformed text always yields some tree.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "string_list.h"

namespace dalvero {

class cJsonNode {
public:
    // Kind codes attached to each item; nested nodes carry their child too.
    enum Kind : int {
        kNull = 0,
        kBoolean = -1,
        kNumber = -2,
        kString = -3,
        kWord = -4,
        kArray = -5,
        kObject = -6,
    };
    // Nesting deeper than this is kept as string text instead of nodes.
    static constexpr int kMaxDepth = 64;

    explicit cJsonNode(std::string_view text = {}, std::string_view name = {}, cJsonNode* parent = nullptr);
    ~cJsonNode();
    cJsonNode(const cJsonNode&) = delete;
    cJsonNode& operator=(const cJsonNode&) = delete;

    // Replaces the content by the tree read from text.
    void Parse(std::string_view text);
    // The tree as wire text; a node without items writes as empty text.
    std::string ToText() const;
    // The tree as strict JSON (RFC 8259) for other tools: names and words
    // quoted, numbers only where JSON allows them, an empty node as {} or [].
    // Control characters, DEL and the C1 controls are \u escapes, so the text
    // is also safe on a terminal; a byte outside well-formed UTF-8 becomes
    // U+FFFD, as JSON text must be UTF-8.
    std::string ToStrictJson() const;

    // Classifies valueText and stores it; an existing member of that name is
    // replaced and moves last. In an array the name is ignored; in an object
    // a name that is empty or holds "=" is refused.
    void AddMember(std::string_view name, std::string_view valueText);
    // Stores text as a string member exactly as given, so that user text
    // ("true", "{x}", "null", quotes) reads back unchanged; naming as AddMember.
    void AddString(std::string_view name, std::string_view text);
    // Value text of a member: "1"/"0" for booleans, "object"/"array" for
    // nested nodes, empty for null or a missing member.
    std::string GetString(std::string_view name) const;
    // Child node of a member. A missing or null member becomes an empty object
    // member; any other scalar member gives nullptr, as does an array node
    // or a name that AddMember would refuse.
    cJsonNode* GetMember(std::string_view name);
    bool HasMember(std::string_view name) const;
    // Index of the item of the member named name (letter case ignored); -1
    // when there is none, and always in an array.
    int IndexOf(std::string_view name) const;
    void RemoveMember(std::string_view name);
    void Clear();

    // One line per item: "name=value" in an object, the value in an array.
    const StringList& Items() const;
    int Count() const { return static_cast<int>(lines_.size() - removed_); }
    Kind KindAt(std::size_t i) const;
    cJsonNode* ChildAt(std::size_t i) const;
    // Member name and value text of item i (in an array the name is empty).
    std::string NameAt(std::size_t i) const;
    std::string ValueAt(std::size_t i) const;

    bool IsArray() const { return !isObject_; }
    const std::string& Name() const { return name_; }
    cJsonNode* Parent() const { return parent_; }

private:
    struct Tag {
        Kind kind = kNull;
        std::unique_ptr<cJsonNode> child;
        bool removed = false;
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // The stored form of a member name; false when this node cannot hold it.
    bool MemberName(std::string_view nameText, std::string& name) const;
    void Store(std::string_view name, std::string value, Tag tag);
    // Slot of the member named name, kNone when there is none.
    std::size_t Find(std::string_view name) const;
    // Drops the slots of removed members, so that slots are item indexes
    // again: done once before items are read by index, which keeps any mix of
    // additions and removals linear.
    void Compact() const;
    std::string NameOf(std::size_t slot) const;
    std::string ValueOf(std::size_t slot) const;
    std::string WriteValue(std::size_t slot) const;

    std::string name_;
    bool isObject_ = true;
    cJsonNode* parent_ = nullptr;
    int depth_ = 0;
    // Items in slots, removed ones left as holes until the next Compact.
    mutable StringList lines_;
    mutable std::vector<Tag> tags_;  // parallel to lines_
    mutable std::size_t removed_ = 0;
    // An object's member slots by name in lower case.
    mutable std::unordered_map<std::string, std::size_t> slots_;
};

// text as a strict JSON string, quotes included, escaped as ToStrictJson
// escapes its strings.
std::string StrictJsonString(std::string_view text);

}  // namespace dalvero
