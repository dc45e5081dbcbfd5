#include "record_ops.h"

#include <cctype>

#include "db_server_connection.h"
#include "frame.h"
#include "refusal_codes.h"

namespace dalvero {

namespace {

constexpr char kEmptyValue[] = "~~~";
constexpr char kSendFailed[] = "SendMessage Failed.";

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t p = 0;
    for (std::size_t hit; (hit = text.find(from, p)) != std::string_view::npos; p = hit + from.size()) {
        out.append(text.substr(p, hit - p));
        out.append(to);
    }
    out.append(text.substr(p));
    return out;
}

// Tables are named without a file extension ("Cases.def" is "Cases").
std::string TableName(std::string_view table) { return std::string(table.substr(0, table.rfind('.'))); }

// One item always in double quotes, as the error texts are handed back.
std::string Quoted(std::string_view text) { return "\"" + ReplaceAll(text, "\"", "\"\"") + "\""; }

// The message of an error text that stands as the whole reply
// ("Error: ..."); empty when the reply is no such text.
std::string WholeReplyError(const StringList& reply) {
    if (reply.empty() || !reply[0].starts_with("Error:")) return {};
    std::string_view message = std::string_view(reply[0]).substr(6);
    while (!message.empty() && message.front() == ' ') message.remove_prefix(1);
    return message.empty() ? "Error" : std::string(message);
}

// Why the server refused a request, empty when it did not: its "Error" item,
// an error text as the whole reply, or a bare non-zero "ErrorCode".
std::string ServerError(const dbServerConnection& c) {
    if (!c.ErrorText.empty()) return c.ErrorText;
    if (std::string whole = WholeReplyError(c.ReplyValues); !whole.empty()) return whole;
    if (c.ErrorCode != 0) return "ErrorCode " + std::to_string(c.ErrorCode);
    return {};
}

// Builds table and value items and makes the exchange of a write.
bool Write(dbServerConnection& c, std::uint32_t subCommand, std::string_view table, std::string_view seq,
           const StringList* values) {
    c.RequestValues.clear();
    c.RequestValues.push_back("TableName=" + TableName(table));
    if (subCommand != frame::sub::kAdd) c.RequestValues.push_back("Seq=" + std::string(seq));
    if (values) {
        for (const std::string& item : *values) c.RequestValues.push_back(EncodeLineBreaks(item));
    }
    return c.Exchange(frame::cmd::kRecord, subCommand, c.RequestValues.CommaText());
}

bool WriteSucceeded(const dbServerConnection& c) { return c.ReplyText != "Fail" && ServerError(c).empty(); }

// The items every look-up by list key begins with; the caller adds the rest.
StringList& StartFindRequest(dbServerConnection& c, std::string_view table, int listNumber, std::string_view key,
                             std::string_view owner) {
    StringList& request = c.RequestValues;
    request.clear();
    request.SetValue("TableName", TableName(table));
    request.SetValue("List", std::to_string(listNumber));
    request.SetValue("Key", key);
    request.SetValue("Owner", owner);
    return request;
}

// The exchange of a record read; values get the reply as received.
bool Read(dbServerConnection& c, StringList& values) {
    if (!c.Exchange(frame::cmd::kRecord, frame::sub::kRead, c.RequestValues.CommaText())) {
        values = StringList{"Error: " + std::string(kSendFailed)};
        return false;
    }
    values = c.ReplyValues;
    return values.CommaText() != kMissingRecord && ServerError(c).empty();
}

}  // namespace

std::string LastingRefusal(const dbServerConnection& connection) {
    const bool lasting = connection.ErrorCode == refusal::kCaseClosed || connection.ErrorCode == refusal::kBadValue;
    return lasting ? connection.ErrorText : std::string();
}

std::string EncodeLineBreaks(std::string_view value) { return ReplaceAll(value, "\r\n", "||"); }
std::string DecodeLineBreaks(std::string_view value) { return ReplaceAll(value, "||", "\r\n"); }

std::string AddRecord(dbServerConnection& connection, std::string_view table, const StringList& values) {
    if (!Write(connection, frame::sub::kAdd, table, {}, &values)) return {};
    if (connection.ReplyText.find("ErrorCode") != std::string::npos || !ServerError(connection).empty()) return {};
    return connection.ReplyText;
}

bool UpdateRecord(dbServerConnection& connection, std::string_view table, std::string_view seq,
                  const StringList& values) {
    return Write(connection, frame::sub::kUpdate, table, seq, &values) && WriteSucceeded(connection);
}

bool DeleteRecord(dbServerConnection& connection, std::string_view table, std::string_view seq) {
    return Write(connection, frame::sub::kDelete, table, seq, nullptr) && WriteSucceeded(connection);
}

bool ReadRecord(dbServerConnection& connection, std::string_view table, std::string_view seq, StringList& values,
                std::string_view aliasList, std::string_view aliasFields) {
    StringList& request = connection.RequestValues;
    request.clear();
    request.SetValue("TableName", TableName(table));
    request.SetValue("Seq", seq);
    request.SetValue("AliasList", aliasList);
    request.SetValue("AliasFields", aliasFields);
    if (!Read(connection, values)) return false;
    for (std::string& item : values) item = item == kEmptyValue ? std::string() : DecodeLineBreaks(item);
    return true;
}

bool FindRecord(dbServerConnection& connection, std::string_view table, int listNumber, std::string_view key,
                std::string_view owner, StringList& values, std::string_view aliasList, std::string_view aliasFields) {
    StringList& request = StartFindRequest(connection, table, listNumber, key, owner);
    request.SetValue("AliasList", aliasList);
    request.SetValue("AliasFields", aliasFields);
    return Read(connection, values);
}

bool GetRecordFields(dbServerConnection& connection, std::string_view table, std::string_view seq,
                     std::string_view fieldList, std::string& result, std::string_view aliasList) {
    const std::vector<std::string> requested = ParseCommaText(fieldList);
    std::vector<std::string> ownFields;
    std::vector<std::string> aliasFields;
    for (const std::string& name : requested) {
        if (name.size() < 2) continue;
        const char first = name.front();
        if (first == 'f' || first == 'F') {
            ownFields.push_back(name);
            // Notes travel as alias fields.
            if (ToIntDef(std::string_view(name).substr(1), 0) > 1000) aliasFields.push_back(name);
        } else if (first != '*' && first != '^' && first != '@') {
            aliasFields.push_back(name);
        }
    }
    // Without joins only the notes remain to be asked for.
    if (aliasList.empty())
        std::erase_if(aliasFields, [](const std::string& name) {
            const bool own = name.front() == 'f' || name.front() == 'F';
            return !own || ToIntDef(std::string_view(name).substr(1), 0) <= 1000;
        });

    StringList values;
    if (!ReadRecord(connection, table, seq, values, aliasList, ToCommaText(aliasFields)) || values.empty()) {
        // An error reads as one item "Error=text"; a missing record as "~".
        std::string error = WholeReplyError(values);
        if (error.empty()) error = ServerError(connection);
        result = error.empty() ? values.CommaText() : Quoted("Error=" + error);
        return false;
    }

    StringList fields;
    fields.SetValue("Seq", values.size() > 1 ? values[1] : std::string());
    if (requested.empty() || requested.front() == "*") {
        for (std::size_t i = 1; i < values.size(); ++i) fields.SetValue("f" + std::to_string(i), values[i]);
    } else {
        for (const std::string& name : ownFields) {
            const int n = ToIntDef(std::string_view(name).substr(1), 0);
            if (n >= 1 && static_cast<std::size_t>(n) < values.size())
                fields.SetValue(name, values[static_cast<std::size_t>(n)]);
        }
    }
    // The alias fields are the last values, in the order they were asked for.
    if (aliasFields.size() <= values.size()) {
        const std::size_t first = values.size() - aliasFields.size();
        for (std::size_t k = 0; k < aliasFields.size(); ++k) fields.SetValue(aliasFields[k], values[first + k]);
    }
    result = fields.CommaText();
    return true;
}

bool FindRecordFields(dbServerConnection& connection, std::string_view table, int listNumber, std::string_view key,
                      std::string_view owner, std::string& fields, std::string_view aliasList) {
    StringList& request = StartFindRequest(connection, table, listNumber, key, owner);
    request.SetValue("FieldList", fields);
    request.SetValue("AliasList", aliasList);
    if (!connection.SendMessage(frame::cmd::kRecord, frame::sub::kReadFields, request.CommaText())) {
        fields = Quoted("Error=" + std::string(kSendFailed));
        return false;
    }
    const bool received = connection.ReceiveReply();
    fields.clear();
    if (!received) return false;
    if (connection.ReplyValues.CommaText() == kMissingRecord) {
        fields = kMissingRecord;
        return false;
    }
    if (const std::string error = ServerError(connection); !error.empty()) {
        fields = Quoted("Error=" + error);
        return false;
    }
    StringList values;
    values.SetCommaText(connection.ReplyValues.Value("Fields"));
    for (std::string& item : values) item = DecodeLineBreaks(item);
    fields = values.CommaText();
    return true;
}

bool ReadRecordFields(dbServerConnection& connection, std::string_view table, std::string_view seq,
                      std::string& fields, std::string_view aliasList) {
    return FindRecordFields(connection, table, 1, seq, {}, fields, aliasList);
}

}  // namespace dalvero
