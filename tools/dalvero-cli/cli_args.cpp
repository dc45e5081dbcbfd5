#include "cli_args.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace dalvero::cli {

namespace {

constexpr char kIni[] = "--ini";
constexpr char kTimeout[] = "--timeout";
constexpr char kMaxReply[] = "--max-reply";
constexpr char kHelp[] = "--help";
constexpr char kVersion[] = "--version";
constexpr char kUser[] = "--user";
constexpr char kPasswordFile[] = "--password-file";

const OptionDef* FindOption(const std::vector<OptionDef>& options, std::string_view name) {
    const auto found =
        std::find_if(options.begin(), options.end(), [&](const OptionDef& option) { return name == option.name; });
    return found == options.end() ? nullptr : &*found;
}

}  // namespace

const std::vector<OptionDef>& GlobalOptions() {
    static const std::vector<OptionDef> options = {
        {kIni, "PATH",
         "configuration file (default: $DALVERO_INI, else Dalvero.ini beside dalvero-cli, in ~/.config/dalvero or in "
         "/etc/dalvero; never the working folder's)"},
        {kTimeout, "SECONDS", "longest wait for each piece of a reply (default: 120)"},
        {kMaxReply, "MIB", "largest reply accepted, in MiB (default: 64)"},
        {kUser, "EMAIL", "log in as EMAIL; the password comes from --password-file, DALVERO_PASSWORD or a prompt"},
        {kPasswordFile, "FILE",
         "read the log-in password from the first line of FILE (\"-\": standard input; owner-only file)"},
        {kHelp, nullptr, "show this help, or a command's help after the command"},
        {kVersion, nullptr, "print the version and stop"},
    };
    return options;
}

std::string ParsedArgs::Get(std::string_view option, std::string_view fallback) const {
    const auto found = options.find(option);
    return found == options.end() ? std::string(fallback) : found->second;
}

ParsedArgs ParseCommandLine(const std::vector<std::string>& args, const std::vector<CommandDef>& commands) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (parsed.command) {
                parsed.positionals.push_back(arg);
                continue;
            }
            const auto found = std::find_if(commands.begin(), commands.end(),
                                            [&](const CommandDef& command) { return arg == command.name; });
            if (found == commands.end()) throw UsageError("unknown command '" + arg + "'");
            parsed.command = &*found;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h") {
            parsed.help = true;
            continue;
        }
        // "--name=value" or "--name value".
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionDef* option = parsed.command ? FindOption(parsed.command->options, name) : nullptr;
        const bool global = !option;
        if (global) option = FindOption(GlobalOptions(), name);
        if (!option)
            throw UsageError("unknown option '" + name + "'" +
                             (parsed.command ? std::string(" for ") + parsed.command->name : std::string()));
        std::string value;
        if (!option->value) {
            if (equals != std::string::npos) throw UsageError(name + " takes no value");
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            throw UsageError(name + " needs a value (" + option->value + ")");
        }
        if (global && name == kHelp) parsed.help = true;
        else if (global && name == kVersion) parsed.version = true;
        else if (global && name == kIni) parsed.iniPath = value;
        else if (global && name == kTimeout) parsed.timeoutSeconds = WholeNumber(value, kTimeout, 1);
        else if (global && name == kMaxReply) parsed.maxReplyMiB = WholeNumber(value, kMaxReply, 1);
        else if (global && name == kUser) parsed.user = value;
        else if (global && name == kPasswordFile) parsed.passwordFile = value;
        else if (!parsed.options.emplace(name, value).second) throw UsageError(name + " given twice");
    }
    if (parsed.help || parsed.version) return parsed;
    if (!parsed.command) throw UsageError("no command given");
    const int count = static_cast<int>(parsed.positionals.size());
    const CommandDef& command = *parsed.command;
    if (count < command.minArgs || (command.maxArgs >= 0 && count > command.maxArgs))
        throw UsageError(std::string("usage: dalvero-cli ") + command.name + " " + command.synopsis);
    return parsed;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
        } else if (c == '\'' || c == '"') {
            const std::size_t from = i + 1;
            for (++i; i < line.size() && line[i] != c; ++i) {
                if (c == '"' && line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\'))
                    ++i;
                word += line[i];
            }
            if (i >= line.size())
                throw UsageError(std::string("unclosed ") + c + " from column " + std::to_string(from));
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

int WholeNumber(std::string_view text, std::string_view what, int minimum) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < minimum)
        throw UsageError(std::string(what) + " must be a whole number" +
                         (minimum > INT_MIN ? " of at least " + std::to_string(minimum) : std::string()) + ", not '" +
                         std::string(text) + "'");
    return value;
}

std::string SeqArgument(std::string_view text) {
    WholeNumber(text, "SEQ", 1);
    return std::string(text);
}

std::vector<std::string> NameValueItems(const std::vector<std::string>& items, std::size_t from) {
    std::vector<std::string> out;
    for (std::size_t i = from; i < items.size(); ++i) {
        const auto equals = items[i].find('=');
        if (equals == std::string::npos || equals == 0)
            throw UsageError("expected name=value, not '" + items[i] + "'");
        out.push_back(items[i]);
    }
    return out;
}

}  // namespace dalvero::cli
