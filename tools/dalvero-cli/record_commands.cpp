// Record queries and single-record reads and writes on the DataServer.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>

#include "cli_session.h"
#include "commands.h"
#include "output.h"
#include "record_batch.h"
#include "record_ops.h"
#include "table_catalogue.h"

namespace dalvero::cli {

namespace {

constexpr int kDefaultPage = 1000;
// What a batch says when a page operation finds nothing further.
constexpr char kEndOfList[] = "Beginning or end of list";
constexpr char kNoReply[] = "No usable reply from the data server";
constexpr char kMarksRepeat[] = "The data server repeated a page mark; the list walk stopped";
constexpr char kAllFields[] = "*";

const OptionDef kAliases{"--aliases", "LIST", "joins, e.g. P=Patients:f10,cm=Personnel:f23"};
const OptionDef kAliasFields{"--alias-fields", "LIST", "joined fields to read, e.g. P10,P12"};

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Queries name a server list "L3"; a bare "3" means the same.
std::string QueryIndex(const std::string& list) { return AllDigits(list) ? "L" + list : list; }

// Record requests name a list by its number; "L4" means the same.
int ListNumber(std::string_view list) {
    if (!list.empty() && (list[0] == 'L' || list[0] == 'l')) list.remove_prefix(1);
    return WholeNumber(list, "LIST", 1);
}

[[noreturn]] void FailRecordRead(const dbServerConnection& db, const StringList& values, const std::string& missing) {
    if (values.size() == 1 && values[0] == kMissingRecord) throw CommandFailure(missing, exit_status::kNotFound);
    FailWithServerError(db, kNoReply);
}

// A whole-record read: item 0 is not a field, item i is field fi (f1 is the
// Seq), the joined fields come last.
void PrintRecord(const StringList& values, const std::string& aliasFields, bool decode, Format format) {
    const std::vector<std::string> joined = ParseCommaText(aliasFields);
    if (values.size() < 2 + joined.size()) throw CommandFailure(kNoReply);
    const std::size_t ownEnd = values.size() - joined.size();
    std::vector<std::string> header{"Seq"};
    for (std::size_t field = 2; field < ownEnd; ++field) header.push_back("f" + std::to_string(field));
    header.insert(header.end(), joined.begin(), joined.end());
    std::vector<std::string> row;
    for (std::size_t i = 1; i < values.size(); ++i) row.push_back(decode ? DecodeLineBreaks(values[i]) : values[i]);
    RecordWriter writer(std::cout, format, std::move(header));
    writer.Row(row);
    writer.Finish();
}

// The fields "*" reads after the Seq, f2 to the table's last: named even
// when the list holds nothing to name them.
std::vector<std::string> OwnFields(const std::string& table) {
    std::vector<std::string> names;
    for (int field = 2; field <= catalogue::LastOwnField(table); ++field) names.push_back("f" + std::to_string(field));
    return names;
}

// A value of "@FILE" is the file's bytes, exactly; "@@" starts a value that
// begins with "@". Read before any server is asked, so a missing file
// changes nothing.
StringList ValueItems(const std::vector<std::string>& positionals, std::size_t from) {
    StringList items(NameValueItems(positionals, from));
    for (std::string& item : items) {
        const std::size_t value = item.find('=') + 1;
        if (item.compare(value, 1, "@") != 0) continue;
        if (item.compare(value, 2, "@@") == 0) {
            item.erase(value, 1);
            continue;
        }
        const std::string path = item.substr(value + 1);
        std::ifstream file(path, std::ios::binary);
        if (!file)
            throw CommandFailure("Cannot read " + path + ": " + std::strerror(errno), exit_status::kNotFound);
        item.replace(value, std::string::npos, std::string(std::istreambuf_iterator<char>(file), {}));
    }
    return items;
}

}  // namespace

const OptionDef& FormatOption() {
    static const OptionDef option{"--format", "tsv|csv|json",
                                  "record output: escaped tab-separated (default), CSV (RFC 4180) or a JSON array"};
    return option;
}

Format OutputFormat(const ParsedArgs& args) {
    const std::string format = args.Get("--format", "tsv");
    if (format == "tsv") return Format::Tsv;
    if (format == "csv") return Format::Csv;
    if (format == "json") return Format::Json;
    throw UsageError("--format must be tsv, csv or json, not '" + format + "'");
}

int RunQuery(CliSession& session, const ParsedArgs& args, const std::vector<std::string>& columnNames) {
    const std::string& table = args.positionals[0];
    const std::string index = QueryIndex(args.positionals[1]);
    const int max = args.Has("--max") ? WholeNumber(args.Get("--max"), "--max", 1) : INT_MAX;
    const int page = args.Has("--page") ? WholeNumber(args.Get("--page"), "--page", 1) : kDefaultPage;
    const int start = args.Has("--start") ? WholeNumber(args.Get("--start"), "--start", INT_MIN) : 0;
    const std::string fields = args.Get("--fields", kAllFields);
    const Format format = OutputFormat(args);

    dbServerConnection& db = session.DataServer();
    cRecordBatch batch;
    if (!batch.Query(&db, table, index, args.Get("--key"), args.Get("--key-to"), start, std::min(page, max), fields,
                     args.Get("--aliases"), args.Get("--filter"), args.Has("--backward") ? "L" : kReadForward))
        FailWithServerError(db, batch.Set && !batch.Set->Message.empty() ? batch.Set->Message : kNoReply);

    // Columns as the first page names them; "*" brings f1, which is the Seq
    // column already. An empty list names what was asked for all the same.
    std::vector<std::string> columns =
        batch.Set->Count > 0 ? batch.Set->FieldNames
                             : (fields == kAllFields ? OwnFields(table) : ParseCommaText(fields));
    if (fields == kAllFields && batch.Set->Count > 0 && !columns.empty()) columns.erase(columns.begin());
    std::vector<std::string> header{"Seq"};
    const std::vector<std::string>& named = columnNames.empty() ? columns : columnNames;
    header.insert(header.end(), named.begin(), named.end());
    RecordWriter writer(std::cout, format, std::move(header));

    int printed = 0;
    // Marks a later page started from: a server that hands one out again
    // would keep the walk going round for ever.
    std::set<int> starts;
    // A page without records ends the walk even if the marks say otherwise
    // (the list shrank while it was read).
    while (batch.Set->Count > 0) {
        cBatchSet& set = *batch.Set;
        for (int i = 0; i < set.Count && printed < max; ++i, ++printed) {
            if (!set.GoTo(i)) throw CommandFailure(set.Message);
            std::vector<std::string> row{set.Seq};
            for (const std::string& column : columns) row.push_back(set.ReadField(column));
            writer.Row(row);
        }
        if (printed >= max) break;
        if (!starts.insert(batch.SecondMark).second) throw CommandFailure(kMarksRepeat);
        if (!batch.NextPage()) {
            if (db.ErrorText.empty() && batch.Set->Message == kEndOfList) break;
            FailWithServerError(db, batch.Set->Message.empty() ? kNoReply : batch.Set->Message);
        }
    }
    writer.Finish();
    return 0;
}

int RunQuery(CliSession& session, const ParsedArgs& args) { return RunQuery(session, args, {}); }

namespace {

int RunRead(CliSession& session, const ParsedArgs& args) {
    const std::string& table = args.positionals[0];
    const std::string seq = SeqArgument(args.positionals[1]);
    const std::string aliasFields = args.Get("--alias-fields");
    const Format format = OutputFormat(args);
    dbServerConnection& db = session.DataServer();
    StringList values;
    if (!ReadRecord(db, table, seq, values, args.Get("--aliases"), aliasFields))
        FailRecordRead(db, values, "No record " + seq + " in " + table);
    PrintRecord(values, aliasFields, false, format);
    return 0;
}

int RunFind(CliSession& session, const ParsedArgs& args) {
    const std::string& table = args.positionals[0];
    const int list = ListNumber(args.positionals[1]);
    const std::string& key = args.positionals[2];
    const std::string aliasFields = args.Get("--alias-fields");
    const Format format = OutputFormat(args);
    dbServerConnection& db = session.DataServer();
    StringList values;
    if (!FindRecord(db, table, list, key, args.Get("--owner"), values, args.Get("--aliases"), aliasFields))
        FailRecordRead(db, values, "No record with key " + key + " in list " + std::to_string(list) + " of " + table);
    // A find returns values as stored; show line breaks as a read does.
    PrintRecord(values, aliasFields, true, format);
    return 0;
}

// The wire format reads "||" as a line break and "~~~" as an empty value:
// such values are written, but do not come back as typed.
void WarnAboutUnkeptValues(const StringList& items) {
    for (const std::string& item : items) {
        const std::string name = item.substr(0, item.find('='));
        const std::string value = item.substr(name.size() + 1);
        if (value == "~~~")
            std::cerr << "dalvero-cli: warning: " << name << "=~~~ is stored as an empty value\n";
        else if (value.find("||") != std::string::npos)
            std::cerr << "dalvero-cli: warning: the \"||\" in " << name << " reads back as a line break\n";
    }
}

int RunAdd(CliSession& session, const ParsedArgs& args) {
    std::cout << AddRecordItems(session, args.positionals[0], ValueItems(args.positionals, 1)) << '\n';
    return 0;
}

int RunUpdate(CliSession& session, const ParsedArgs& args) {
    const std::string seq = SeqArgument(args.positionals[1]);
    const StringList items = ValueItems(args.positionals, 2);
    WarnAboutUnkeptValues(items);
    dbServerConnection& db = session.DataServer();
    if (!UpdateRecord(db, args.positionals[0], seq, items)) FailWithServerError(db, "The record was not updated", Request::Change);
    return 0;
}

int RunDelete(CliSession& session, const ParsedArgs& args) {
    const std::string seq = SeqArgument(args.positionals[1]);
    dbServerConnection& db = session.DataServer();
    if (!DeleteRecord(db, args.positionals[0], seq)) FailWithServerError(db, "The record was not deleted", Request::Change);
    return 0;
}

}  // namespace

std::string AddRecordItems(CliSession& session, const std::string& table, const StringList& items) {
    WarnAboutUnkeptValues(items);
    dbServerConnection& db = session.DataServer();
    const std::string seq = AddRecord(db, table, items);
    if (seq.empty()) FailWithServerError(db, "The record was not added", Request::Change);
    return seq;
}

std::vector<CommandDef> RecordCommands() {
    return {
        {"query", "TABLE LIST [options]",
         "print the records of a server list (L2, L3, ...), page by page", 2, 2,
         {{"--key", "K", "key the list is read for (owner Seq, or where a name list starts)"},
          {"--key-to", "K", "start at the first record at or after K; --start is then an offset from it"},
          {"--fields", "LIST", "fields to print, e.g. f10,f12,P10 (default: all own fields)"},
          kAliases,
          {"--filter", "LIST", "conditions as comma text, e.g. f18=Y or f5!=Y,f24= or '\"f13=Van Dam\"'"},
          {"--max", "N", "print at most N records"},
          {"--start", "N", "list position to start at (default: the first, or the last with --backward)"},
          {"--page", "N", "records asked for per request (default: 1000)"},
          {"--backward", nullptr, "read the list from its end"},
          FormatOption()},
         RunQuery},
        {"read", "TABLE SEQ [options]", "print one record by its Seq", 2, 2,
         {kAliases, kAliasFields, FormatOption()}, RunRead},
        {"find", "TABLE LIST KEY [options]", "print the first record whose key in list LIST (a number) is KEY", 3, 3,
         {{"--owner", "K", "owner the record must belong to (lists that have one)"}, kAliases, kAliasFields,
          FormatOption()},
         RunFind},
        {"add", "TABLE fN=VALUE...", "add a record and print its new Seq (fN=@FILE: the value is FILE's bytes)", 2,
         -1, {}, RunAdd},
        {"update", "TABLE SEQ fN=VALUE...", "write fields of a record (fN= empties a field, fN=@FILE reads FILE)", 3,
         -1, {}, RunUpdate},
        {"delete", "TABLE SEQ", "delete a record", 2, 2, {}, RunDelete},
    };
}

}  // namespace dalvero::cli
