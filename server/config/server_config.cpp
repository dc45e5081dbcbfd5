#include "server_config.h"

#include <fstream>

#include "string_list.h"

namespace dalvero::server {
namespace {

constexpr char kFileName[] = "server.ini";

class Reader {
public:
    Reader(const IniFile& ini, const std::filesystem::path& file) : ini_(ini), file_(file) {}

    std::string Text(const char* section, const char* key) const {
        static const IniFile defaults = DefaultServerIni();
        return ini_.HasKey(section, key) ? ini_.ReadString(section, key) : defaults.ReadString(section, key);
    }

    std::filesystem::path Path(const std::filesystem::path& dir, const char* section, const char* key) const {
        std::string text = Text(section, key);
        if (text.empty()) Fail(section, key, "a path is needed");
        return (dir / text).lexically_normal();
    }

    int Number(const char* section, const char* key, int minimum, int maximum) const {
        std::string text = Text(section, key);
        int value = ToIntDef(text, minimum - 1);
        if (value < minimum || value > maximum)
            Fail(section, key, "expected a whole number from " + std::to_string(minimum) + " to " +
                                   std::to_string(maximum) + ", not '" + text + "'");
        return value;
    }

    int Port(const char* section, const char* key) const {
        std::string text = Text(section, key);
        int port = ToIntDef(text, -1);
        if (port < 0 || port > 65535) Fail(section, key, "not a port number: '" + text + "'");
        return port;
    }

    bool Flag(const char* section, const char* key) const {
        std::string text = Text(section, key);
        for (const char* yes : {"Y", "Yes", "True", "1"}) {
            if (SameText(text, yes)) return true;
        }
        for (const char* no : {"N", "No", "False", "0"}) {
            if (SameText(text, no)) return false;
        }
        Fail(section, key, "expected Y or N, not '" + text + "'");
    }

    [[noreturn]] void Fail(const char* section, const char* key, const std::string& why) const {
        throw ConfigError(file_.string() + " [" + section + "] " + key + ": " + why);
    }

private:
    const IniFile& ini_;
    std::filesystem::path file_;
};

// The password file's first line; the file may be relative to the folder.
std::string ReadPasswordFile(const Reader& read, const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string password;
    if (!in || !std::getline(in, password))
        read.Fail("Storage", "PasswordFile", "cannot read " + file.string());
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return password;
}

void ReadStorage(const Reader& read, const std::filesystem::path& dir, ServerConfig& config) {
    StorageSettings& storage = config.storage;
    storage.file = config.databaseFile.string();
    const std::string engine = read.Text("Storage", "Engine");
    if (SameText(engine, "postgresql")) {
        storage.engine = StorageEngine::Postgresql;
    } else if (!SameText(engine, "sqlite")) {
        read.Fail("Storage", "Engine", "expected sqlite or postgresql, not '" + engine + "'");
    }
    storage.connections = read.Number("Storage", "Connections", 1, 1000);
    if (storage.engine != StorageEngine::Postgresql) return;
    storage.dsn = read.Text("Storage", "DSN");
    if (storage.dsn.empty()) read.Fail("Storage", "DSN", "the PostgreSQL engine needs a connection string");
    if (!read.Text("Storage", "PasswordFile").empty())
        storage.password = ReadPasswordFile(read, read.Path(dir, "Storage", "PasswordFile"));
}

constexpr char kHl7[] = "HL7";
constexpr std::string_view kFacilityPrefix = "Facility.";

Hl7Config ReadHl7(const IniFile& ini, const Reader& read) {
    Hl7Config hl7;
    if (read.Text(kHl7, "Port").empty()) return hl7;
    hl7.enabled = true;
    const std::string bind = read.Text(kHl7, "Bind");
    hl7.listen = {bind.empty() ? std::string("127.0.0.1") : bind, read.Port(kHl7, "Port")};
    hl7.tls = read.Flag(kHl7, "TLS");
    std::string error;
    const auto allow = AddressFilter::Parse(read.Text(kHl7, "AllowFrom"), error);
    if (!allow) read.Fail(kHl7, "AllowFrom", error);
    // Patient data may come only from senders someone named.
    if (allow->Empty()) read.Fail(kHl7, "AllowFrom", "the addresses that may send are needed");
    hl7.allowFrom = *allow;
    for (const std::string& key : ini.Keys(kHl7)) {
        if (key.size() <= kFacilityPrefix.size() || !SameText(key.substr(0, kFacilityPrefix.size()), kFacilityPrefix))
            continue;
        const std::string hospital = ini.ReadString(kHl7, key);
        if (ToIntDef(hospital, 0) <= 0 || std::to_string(ToIntDef(hospital, 0)) != hospital)
            read.Fail(kHl7, key.c_str(), "expected a hospital's Seq, not '" + hospital + "'");
        hl7.facilities[key.substr(kFacilityPrefix.size())] = hospital;
    }
    if (hl7.facilities.empty()) read.Fail(kHl7, "Facility.<name>", "no sending facility is named");
    return hl7;
}

}  // namespace

IniFile DefaultServerIni() {
    IniFile ini;
    ini.Parse(
        "; Dalvero server settings. Relative paths are taken from this folder.\n"
        "[DataServer]\n"
        "; Address to listen on (0.0.0.0: every interface) and TLS port.\n"
        "Bind=127.0.0.1\n"
        "Port=8700\n"
        "\n"
        "[FunctionServer]\n"
        "Bind=127.0.0.1\n"
        "Port=8701\n"
        "\n"
        "[Connections]\n"
        "; Connections each port holds at most; at the limit, connections that\n"
        "; never finished their TLS handshake are closed first, then idle ones.\n"
        "MaxConnections=4096\n"
        "; Connections one client address may hold on each port.\n"
        "PerAddress=1024\n"
        "; Seconds a new connection has for its whole TLS handshake.\n"
        "HandshakeSeconds=5\n"
        "; Seconds a request has from its first byte to its last.\n"
        "RequestSeconds=20\n"
        "; Seconds for each piece (up to 50,000 bytes) of a reply, download or upload.\n"
        "StallSeconds=30\n"
        "; Slowest rate, in kilobytes (1,024 bytes) a second, of a whole download or\n"
        "; upload: it must be through within StallSeconds plus its size at this rate.\n"
        "TransferKBPerSecond=64\n"
        "; Hours a client may stay connected without a request.\n"
        "IdleHours=12\n"
        "; Requests each port serves at once; more wait their turn.\n"
        "Workers=64\n"
        "\n"
        "[RecordFiles]\n"
        "; Megabytes of files one record may hold, and all records together.\n"
        "PerRecordMB=64\n"
        "TotalMB=4096\n"
        "\n"
        "[TLS]\n"
        "Certificate=tls/server.pem\n"
        "Key=tls/server.key\n"
        "CA=tls/ca.pem\n"
        "\n"
        "[Mail]\n"
        "; SMTP relay host; empty: messages are written to outbox/ as .eml files.\n"
        "Relay=\n"
        "Port=587\n"
        "; Y: refuse to send unless the relay switches to TLS.\n"
        "StartTLS=Y\n"
        "User=\n"
        "Password=\n"
        "From=dalvero@localhost\n"
        "\n"
        "[HL7]\n"
        "; An HL7 v2 listener (MLLP) for the hospital's admission system; off\n"
        "; while Port is empty. TLS=N only for an interface engine on a trusted network.\n"
        "Bind=127.0.0.1\n"
        "Port=\n"
        "TLS=Y\n"
        "; Addresses and networks that may send (\"10.1.0.0/16, 10.2.3.4\"); no one else may connect.\n"
        "AllowFrom=127.0.0.1\n"
        "; One line per sending facility (MSH-4): Facility.<name>=<hospital Seq>.\n"
        "\n"
        "[Database]\n"
        "File=dalvero.db\n"
        "\n"
        "[Storage]\n"
        "; sqlite: the database file above; postgresql: the PostgreSQL database of DSN,\n"
        "; which several servers may share (docs/data-folder.md).\n"
        "Engine=sqlite\n"
        "; A libpq connection string, without the password, e.g.\n"
        "; host=db1.example port=5432 dbname=dalvero user=dalvero sslmode=verify-full\n"
        "DSN=\n"
        "; A file whose first line is the database password; empty: libpq's\n"
        "; PGPASSWORD or PGPASSFILE.\n"
        "PasswordFile=\n"
        "; Database connections each server opens at most.\n"
        "Connections=16\n"
        "\n"
        "[Security]\n"
        "; PBKDF2-SHA256 rounds for new password hashes; stored hashes with fewer\n"
        "; are refused (below 120000) or upgraded at the next log-in.\n"
        "PasswordIterations=600000\n"
        "; After a failed log-in the account waits this long before its next try\n"
        "; from the same address, doubled with each further failure up to the maximum.\n"
        "LoginDelaySeconds=1\n"
        "LoginDelayMaxSeconds=30\n"
        "; An account is locked on an address after this many failures in a row (an\n"
        "; address, for every account, after five times as many) for LockSeconds.\n"
        "LockAfterFailures=10\n"
        "LockSeconds=900\n"
        "; Password hashes computed at once (0: one per core), and the log-ins that\n"
        "; may wait for one; a log-in beyond that is refused as busy.\n"
        "ConcurrentHashes=0\n"
        "LoginQueue=256\n"
        "SessionIdleMinutes=30\n"
        "SessionMaxHours=12\n"
        "MailsPerUserPerHour=60\n"
        "MailsPerCasePerHour=10\n");
    return ini;
}

ServerConfig LoadServerConfig(const std::filesystem::path& dataDir) {
    std::filesystem::path dir = std::filesystem::absolute(dataDir).lexically_normal();
    std::filesystem::path file = dir / kFileName;
    IniFile ini;
    if (!ini.LoadFromFile(file.string())) throw ConfigError("cannot read " + file.string());
    Reader read(ini, file);

    ServerConfig config;
    config.dataDir = dir;
    // Patient data is served beyond this machine only where the file says so.
    auto bind = [&](const char* section) {
        const std::string text = read.Text(section, "Bind");
        return text.empty() ? std::string("127.0.0.1") : text;
    };
    config.dataServer = {bind("DataServer"), read.Port("DataServer", "Port")};
    config.functionServer = {bind("FunctionServer"), read.Port("FunctionServer", "Port")};
    config.certificateFile = read.Path(dir, "TLS", "Certificate");
    config.keyFile = read.Path(dir, "TLS", "Key");
    config.caFile = read.Path(dir, "TLS", "CA");
    config.mail.relay = read.Text("Mail", "Relay");
    config.mail.port = read.Port("Mail", "Port");
    config.mail.startTls = read.Flag("Mail", "StartTLS");
    config.mail.user = read.Text("Mail", "User");
    config.mail.password = read.Text("Mail", "Password");
    config.mail.from = read.Text("Mail", "From");
    config.mail.outboxDir = dir / "outbox";
    ConnectionLimits& limits = config.connections;
    limits.maxConnections = read.Number("Connections", "MaxConnections", 1, 1'000'000);
    limits.perAddress = read.Number("Connections", "PerAddress", 1, 1'000'000);
    limits.handshakeSeconds = read.Number("Connections", "HandshakeSeconds", 1, 3600);
    limits.requestSeconds = read.Number("Connections", "RequestSeconds", 1, 3600);
    limits.stallSeconds = read.Number("Connections", "StallSeconds", 1, 3600);
    limits.transferBytesPerSecond = read.Number("Connections", "TransferKBPerSecond", 1, 1'000'000) * 1024;
    limits.idleSeconds = read.Number("Connections", "IdleHours", 1, 24 * 365) * 3600;
    limits.workers = read.Number("Connections", "Workers", 1, 1024);
    constexpr std::uint64_t kMB = 1u << 20;
    config.recordFiles.perRecordBytes = read.Number("RecordFiles", "PerRecordMB", 1, 1'000'000) * kMB;
    config.recordFiles.totalBytes = read.Number("RecordFiles", "TotalMB", 1, 100'000'000) * kMB;
    config.databaseFile = read.Path(dir, "Database", "File");
    ReadStorage(read, dir, config);
    SecurityConfig& sec = config.security;
    constexpr int kMany = 100'000'000;
    sec.passwordIterations = read.Number("Security", "PasswordIterations", 1000, 10'000'000);
    sec.loginDelaySeconds = read.Number("Security", "LoginDelaySeconds", 0, 3600);
    sec.loginDelayMaxSeconds = read.Number("Security", "LoginDelayMaxSeconds", 0, 86400);
    sec.lockAfterFailures = read.Number("Security", "LockAfterFailures", 1, kMany);
    sec.lockSeconds = read.Number("Security", "LockSeconds", 0, 7 * 86400);
    sec.concurrentHashes = read.Number("Security", "ConcurrentHashes", 0, 64);
    sec.loginQueue = read.Number("Security", "LoginQueue", 0, 100'000);
    sec.sessionIdleMinutes = read.Number("Security", "SessionIdleMinutes", 1, 7 * 24 * 60);
    sec.sessionMaxHours = read.Number("Security", "SessionMaxHours", 1, 24 * 31);
    sec.mailsPerUserPerHour = read.Number("Security", "MailsPerUserPerHour", 0, kMany);
    sec.mailsPerCasePerHour = read.Number("Security", "MailsPerCasePerHour", 0, kMany);
    config.filesDir = dir / "files";
    config.hl7 = ReadHl7(ini, read);
    return config;
}

}  // namespace dalvero::server
