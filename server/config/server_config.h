#pragma once
// The server's settings, read from DIR/server.ini of a data folder. Relative
// paths in the file are taken from DIR; the struct holds them resolved.

#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

#include "address_filter.h"
#include "ini_file.h"
#include "open_storage.h"

namespace dalvero::server {

class ConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ListenAddress {
    std::string bind;  // dotted address to listen on
    int port = 0;      // 0: any free port
};

struct MailConfig {
    std::string relay;  // empty: messages are written to outboxDir as .eml files
    int port = 0;
    bool startTls = true;
    std::string user;
    std::string password;
    std::string from;
    std::filesystem::path outboxDir;
};

// How much the servers let each client hold; see docs/data-folder.md.
struct ConnectionLimits {
    int maxConnections = 4096;  // per port
    int perAddress = 1024;      // per port and client address
    int handshakeSeconds = 5;   // from the connection to its finished TLS handshake
    int requestSeconds = 20;    // from a request's first byte to its last
    int stallSeconds = 30;      // for each piece of a reply or an upload
    int transferBytesPerSecond = 64 * 1024;  // slowest whole upload or download: StallSeconds plus size at this rate
    int idleSeconds = 12 * 60 * 60;
    int workers = 64;           // requests served at once, per port
};

struct RecordFileLimits {
    std::uint64_t perRecordBytes = 0;  // all files of one record
    std::uint64_t totalBytes = 0;      // all record files together
};

// Log-in, session and mail limits ([Security] of server.ini).
struct SecurityConfig {
    int passwordIterations = 600'000;  // PBKDF2 rounds of new hashes; also the floor for stored ones
    int loginDelaySeconds = 1;         // wait after a failed log-in, doubled with each further failure
    int loginDelayMaxSeconds = 30;
    int lockAfterFailures = 10;        // per account and address; an address is locked after five times as many
    int lockSeconds = 900;
    int concurrentHashes = 0;          // password hashes computed at once; 0: one per core
    int loginQueue = 256;              // log-ins that may wait for a hash; one more is refused as busy
    int sessionIdleMinutes = 30;
    int sessionMaxHours = 12;
    int mailsPerUserPerHour = 60;
    int mailsPerCasePerHour = 10;
};

// The HL7 v2 admission listener ([HL7] of server.ini; docs/hl7.md).
struct Hl7Config {
    bool enabled = false;  // only when Port names a port
    ListenAddress listen;
    bool tls = true;
    AddressFilter allowFrom;
    std::map<std::string, std::string> facilities;  // sending facility (MSH-4) -> hospital Seq
};

struct ServerConfig {
    std::filesystem::path dataDir;
    ListenAddress dataServer;
    ListenAddress functionServer;
    std::filesystem::path certificateFile;
    std::filesystem::path keyFile;
    std::filesystem::path caFile;
    MailConfig mail;
    ConnectionLimits connections;
    RecordFileLimits recordFiles;
    SecurityConfig security;
    Hl7Config hl7;
    std::filesystem::path databaseFile;  // the SQLite database, also storage.file
    StorageSettings storage;
    std::filesystem::path filesDir;  // named files served to clients (DIR/files)
};

// The server.ini a new data folder gets: every key with its default and a
// comment. Missing keys of an existing file read as these defaults.
IniFile DefaultServerIni();

// Reads DIR/server.ini. Throws ConfigError naming the file, section and key
// when the file is missing or a value cannot be used (a port outside 0-65535,
// StartTLS neither Y nor N, an HL7 port without AllowFrom or facilities, an
// unknown engine, a PostgreSQL engine without a DSN, a password file that
// cannot be read).
ServerConfig LoadServerConfig(const std::filesystem::path& dataDir);

}  // namespace dalvero::server
