#include "cli_session.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>
#include <vector>

#include "ini_file.h"
#include "log_in.h"
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
    std::string password;
    if (!login_.passwordFile.empty()) {
        std::ifstream in(login_.passwordFile);
        if (!in) throw CommandFailure("Unable to read " + login_.passwordFile);
        std::getline(in, password);
        if (!password.empty() && password.back() == '\r') password.pop_back();
        return password;
    }
    if (const char* fromEnvironment = std::getenv("DALVERO_PASSWORD")) return fromEnvironment;
    // A prompt on the terminal itself, so piped output stays clean.
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) throw CommandFailure("No password: use --password-file, DALVERO_PASSWORD or a terminal");
    termios saved{};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    const std::string prompt = "Password for " + login_.user + ": ";
    auto say = [tty](std::string_view text) { return ::write(tty, text.data(), text.size()) >= 0; };
    say(prompt);
    for (char c; ::read(tty, &c, 1) == 1 && c != '\n';) password += c;
    if (isTerminal) ::tcsetattr(tty, TCSAFLUSH, &saved);
    say("\n");
    ::close(tty);
    return password;
}

const ServerSettings& CliSession::Settings() {
    if (!settings_) settings_ = std::make_unique<ServerSettings>(LoadSettings(iniPath_));
    return *settings_;
}

dbServerConnection& CliSession::DataServer() {
    if (!dataServer_) {
        const ServerSettings& s = Settings();
        dataServer_ =
            std::make_unique<dbServerConnection>(s.dataHost, s.dataPort, kProgramId, "", true, timeoutSeconds_, s.caFile);
        dataServer_->MaxReplySize = maxReplyBytes_;
    }
    if (!dataServer_->IsConnected()) throw CommandFailure("Unable to connect to data server");
    if (!login_.user.empty() && sessionToken_.empty()) {
        StringList person;
        if (!LogIn(*dataServer_, login_.user, Password(), person, sessionToken_))
            FailWithServerError(*dataServer_, "Invalid login");
        if (person.size() > catalogue::personnel::kHospital) hospitalSeq_ = person[catalogue::personnel::kHospital];
    }
    return *dataServer_;
}

const std::string& CliSession::HospitalSeq() {
    if (login_.user.empty()) throw CommandFailure("Reports are made for your hospital: log in with --user");
    DataServer();
    return hospitalSeq_;
}

dbServerConnection& CliSession::FunctionServer() {
    if (!functionServer_) {
        if (!login_.user.empty()) DataServer();
        const ServerSettings& s = Settings();
        functionServer_ =
            std::make_unique<dbServerConnection>(s.functionHost, s.functionPort, "", "", true, timeoutSeconds_,
                                                               s.functionCaFile);
        functionServer_->MaxReplySize = maxReplyBytes_;
        functionServer_->Session = sessionToken_;
    }
    if (!functionServer_->IsConnected()) throw CommandFailure("Unable to connect to function server");
    return *functionServer_;
}

void FailWithServerError(const dbServerConnection& connection, const std::string& fallback) {
    throw CommandFailure(connection.ErrorText.empty() ? fallback : connection.ErrorText);
}

}  // namespace dalvero::cli
