#include "cli_session.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "ini_file.h"
#include "log_in.h"
#include "secret_input.h"
#include "table_catalogue.h"

namespace fs = std::filesystem;

namespace dalvero::cli {

namespace {

constexpr char kIniName[] = "Dalvero.ini";
constexpr char kProgramId[] = "Dalvero";

fs::path ExecutableFolder() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : exe.parent_path();
}

// Without --ini: DALVERO_INI, then beside the tool, the user's configuration
// folder and /etc/dalvero. Never the working folder: a Dalvero.ini left in a
// shared folder would send the password typed here to a server of its
// writer's choosing.
fs::path FindIniFile() {
    if (const char* named = std::getenv("DALVERO_INI"); named && *named) return named;
    std::vector<fs::path> places;
    if (const fs::path tool = ExecutableFolder(); tool.is_absolute()) places.push_back(tool / kIniName);
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config && fs::path(config).is_absolute())
        places.push_back(fs::path(config) / "dalvero" / kIniName);
    else if (home && fs::path(home).is_absolute())
        places.push_back(fs::path(home) / ".config" / "dalvero" / kIniName);
    places.push_back(fs::path("/etc/dalvero") / kIniName);
    std::error_code error;
    for (const fs::path& place : places)
        if (fs::is_regular_file(place, error)) return place;
    throw CommandFailure(std::string("No ") + kIniName +
                         " beside dalvero-cli, in ~/.config/dalvero or in /etc/dalvero (use --ini PATH or DALVERO_INI)");
}

// The server's refusals that pass with time: too many failed log-ins, or no
// hashing slot free.
bool IsThrottled(const std::string& text) {
    return text.find("Too many failed log-ins") != std::string::npos || text.find("busy") != std::string::npos;
}

[[noreturn]] void FailToConnect(const dbServerConnection& connection, const std::string& server) {
    throw CommandFailure("Unable to connect to " + server + " at " + connection.Host + ":" + connection.Port + ": " +
                             (connection.ConnectFailure.empty() ? "no connection" : connection.ConnectFailure),
                         exit_status::kUnreachable);
}

}  // namespace

ServerSettings LoadSettings(const std::string& iniPath) {
    const fs::path path = iniPath.empty() ? FindIniFile() : fs::path(iniPath);
    IniFile ini;
    if (!ini.LoadFromFile(path.string())) throw CommandFailure("Unable to read " + path.string());
    ServerSettings settings;
    settings.dataHost = ini.ReadString("DataServer", "IP");
    settings.dataPort = ini.ReadString("DataServer", "Port");
    // A relative authority file belongs with the configuration, wherever
    // the tool is started from.
    auto authority = [&](const std::string& file) {
        return file.empty() || fs::path(file).is_absolute() ? file : (path.parent_path() / file).string();
    };
    settings.caFile = authority(ini.ReadString("DataServer", "CAFile"));
    settings.functionHost = ini.ReadString("FunctionServer", "IP");
    settings.functionPort = ini.ReadString("FunctionServer", "Port");
    // Both servers carry the same certificate; an older configuration names
    // the authority only for the DataServer.
    settings.functionCaFile = ini.HasKey("FunctionServer", "CAFile")
                                  ? authority(ini.ReadString("FunctionServer", "CAFile"))
                                  : settings.caFile;
    return settings;
}

CliSession::CliSession(std::string iniPath, int timeoutSeconds, int maxReplyMiB, LoginSettings login)
    : iniPath_(std::move(iniPath)),
      timeoutSeconds_(timeoutSeconds),
      maxReplyBytes_(static_cast<std::size_t>(maxReplyMiB) << 20),
      login_(std::move(login)) {}

CliSession::~CliSession() {
    if (dataServer_ && dataServer_->IsConnected()) LogOut(*dataServer_);
}

std::string CliSession::Password() const {
    try {
        if (!login_.passwordFile.empty()) return ReadSecretFile(login_.passwordFile);
        if (const char* fromEnvironment = std::getenv("DALVERO_PASSWORD")) return fromEnvironment;
        return PromptSecret("Password for " + login_.user + ": ");
    } catch (const std::runtime_error& e) {
        throw CommandFailure(e.what());
    }
}

const ServerSettings& CliSession::Settings() {
    if (!settings_) settings_ = std::make_unique<ServerSettings>(LoadSettings(iniPath_));
    return *settings_;
}

dbServerConnection& CliSession::DataServerOnly() {
    if (!dataServer_) {
        const ServerSettings& s = Settings();
        dataServer_ =
            std::make_unique<dbServerConnection>(s.dataHost, s.dataPort, kProgramId, "", true, timeoutSeconds_, s.caFile);
        dataServer_->MaxReplySize = maxReplyBytes_;
    }
    if (!dataServer_->IsConnected()) FailToConnect(*dataServer_, "data server");
    return *dataServer_;
}

dbServerConnection& CliSession::DataServer() {
    DataServerOnly();
    if (!login_.user.empty() && sessionToken_.empty()) {
        StringList person;
        if (!LogIn(*dataServer_, login_.user, Password(), person, sessionToken_))
            FailWithServerError(*dataServer_, "Invalid login", Request::Read, exit_status::kLoginRefused);
        if (person.size() > catalogue::personnel::kHospital) hospitalSeq_ = person[catalogue::personnel::kHospital];
    }
    return *dataServer_;
}

const std::string& CliSession::HospitalSeq() {
    if (login_.user.empty()) throw CommandFailure("Reports are made for your hospital: log in with --user");
    DataServer();
    return hospitalSeq_;
}

dbServerConnection& CliSession::FunctionServerOnly() {
    if (!functionServer_) {
        const ServerSettings& s = Settings();
        functionServer_ =
            std::make_unique<dbServerConnection>(s.functionHost, s.functionPort, "", "", true, timeoutSeconds_,
                                                               s.functionCaFile);
        functionServer_->MaxReplySize = maxReplyBytes_;
        functionServer_->Session = sessionToken_;
    }
    if (!functionServer_->IsConnected()) FailToConnect(*functionServer_, "function server");
    return *functionServer_;
}

dbServerConnection& CliSession::FunctionServer() {
    // The connection carries the session of the log-in, made first.
    if (!functionServer_ && !login_.user.empty()) DataServer();
    return FunctionServerOnly();
}

void FailWithServerError(const dbServerConnection& connection, const std::string& fallback, Request request,
                         int fallbackStatus) {
    namespace es = exit_status;
    const std::string& text = connection.ErrorText;
    if (text.empty() && !connection.Connected) {
        const std::string server = "the server at " + connection.Host + ":" + connection.Port;
        if (request == Request::Change && connection.RequestSent)
            throw CommandFailure("connection lost before the answer: the change may have been made (" + server + ")",
                                 es::kLostAnswer);
        throw CommandFailure("No answer from " + server + " (timed out or connection lost)", es::kUnreachable);
    }
    // The FunctionServer's refusal of a person opens with "Not allowed".
    if (text.empty()) throw CommandFailure(fallback, fallback.rfind("Not allowed", 0) == 0 ? es::kNotAllowed : fallbackStatus);
    // The DataServer's error codes.
    int status = es::kFailed;
    switch (connection.ErrorCode) {
    case 2: case 3: case 4: case 8: status = es::kNotFound; break;
    case 11: status = es::kLoginRefused; break;
    case 12: status = IsThrottled(text) ? es::kThrottled : es::kLoginRefused; break;
    case 13: status = es::kNotAllowed; break;
    }
    throw CommandFailure(text, status);
}

}  // namespace dalvero::cli
