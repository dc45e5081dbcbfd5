#include "init_data_folder.h"

#include <ctime>
#include <memory>

#include <sys/stat.h>

#include "administrators.h"
#include "audit_anchor.h"
#include "code_books.h"
#include "init_error.h"
#include "made_paths.h"
#include "principal.h"
#include "provider_catalogue.h"
#include "table_catalogue.h"
#include "tls_files.h"

namespace dalvero::server {
namespace {

namespace fs = std::filesystem;

constexpr char kServerIni[] = "server.ini";
constexpr char kClientIni[] = "Dalvero.ini";

void Save(const IniFile& ini, const fs::path& path, unsigned mode, MadePaths& made) {
    made.Expect(path);
    if (!ini.SaveToFile(path.string(), mode)) throw InitError("cannot write " + path.string());
}

constexpr char kDemoFacility[] = "DEMO";

IniFile ServerIni(const InitOptions& options) {
    const std::string& host = options.host;
    IniFile ini = DefaultServerIni();
    ini.WriteString("Security", "PasswordIterations", std::to_string(options.passwordIterations));
    if (options.engine == StorageEngine::Postgresql) {
        ini.WriteString("Storage", "Engine", "postgresql");
        ini.WriteString("Storage", "DSN", options.dsn);
    }
    // Clients on other machines must reach a server named by a public host.
    if (!IsLoopbackHost(host)) {
        ini.WriteString("DataServer", "Bind", "0.0.0.0");
        ini.WriteString("FunctionServer", "Bind", "0.0.0.0");
    }
    return ini;
}

IniFile ClientIni(const ServerConfig& config, const std::string& host) {
    IniFile ini;
    ini.WriteString("DataServer", "IP", host);
    ini.WriteString("DataServer", "Port", std::to_string(config.dataServer.port));
    ini.WriteString("DataServer", "CAFile", config.caFile.string());
    ini.WriteString("FunctionServer", "IP", host);
    ini.WriteString("FunctionServer", "Port", std::to_string(config.functionServer.port));
    ini.WriteString("FunctionServer", "CAFile", config.caFile.string());
    return ini;
}

InitResult MakeDataFolder(const fs::path& dataDir, const InitOptions& options) {
    if (options.host.empty()) throw InitError("no host name for the server");
    if (options.hospital.empty() != options.admin.empty())
        throw InitError("--hospital and --admin go together: a hospital and its first administrator");
    const fs::path dir = fs::absolute(dataDir).lexically_normal();
    IniFile serverIni = ServerIni(options);
    const fs::path database = dir / serverIni.ReadString("Database", "File");
    if (fs::exists(dir / kServerIni) || fs::exists(database)) {
        throw InitError(dir.string() + " already holds a Dalvero database; choose an empty folder");
    }
    // Read every shipped file before anything is made.
    const fs::path reference = options.referenceDir;
    const std::vector<CategoryEntry> categories = ProviderCategoryEntries();
    const CodeBooks books = ReadCodeBooks(reference);
    const fs::path logo = reference / "demo" / "hospital_logo.jpg";
    if (options.demo && !fs::is_regular_file(logo)) throw InitError("cannot read " + logo.string());
    StorageSettings settings{options.engine, database.string(), options.dsn, {}, 4};
    std::unique_ptr<SqlStorage> storage;
    if (options.engine == StorageEngine::Postgresql) {
        if (options.dsn.empty()) throw InitError("the PostgreSQL engine needs a connection string (--dsn)");
        storage = OpenStorage(settings);
        if (!storage->IsEmpty())
            throw InitError("the PostgreSQL database " + DescribeStorage(settings) +
                            " already holds records; give an empty one");
    }

    MadePaths made;
    // The folder holds patients' records: private to the server's account.
    made.Directory(dir, fs::perms::owner_all);
    made.Directory(dir / "files");
    made.Directory(dir / "files" / "Clients");
    made.Directory(dir / "outbox", fs::perms::owner_all);
    const fs::path tls = dir / "tls";
    made.Directory(tls);
    for (const char* name : {"ca.pem", "ca.key", "server.pem", "server.key"}) made.Expect(tls / name);
    MakeTlsFiles(tls, options.host);
    made.Expect(tls / kAuditKeyName);
    AuditAnchor::MakeKey(tls / kAuditKeyName);

    InitResult result;
    if (!storage) {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) made.Expect(database.string() + suffix);
        storage = OpenStorage(settings);
    }
    {
        WriteCodeBooks(*storage, books);
        result.diagnoses = books.diagnoses.size();
        result.procedures = books.procedures.size();
        result.zips = books.zips.size();
        ProviderCatalogue catalogue = LoadProviderCatalogue(*storage, categories);
        if (options.demo) {
            result.logins = LoadDemoHospital(*storage, {books, categories, catalogue, logo, options.today.value_or(Today()),
                                                       options.passwordIterations, options.demoCases});
            // The demo's admission system sends as facility DEMO; the
            // listener stays off until [HL7] Port is set.
            if (const auto staff = PersonByEmail(*storage, result.logins.front().email))
                serverIni.WriteString("HL7", std::string("Facility.") + kDemoFacility,
                                      staff->Field(catalogue::personnel::kHospital));
        }
        if (!options.hospital.empty()) {
            const std::time_t now = std::time(nullptr);
            const std::string hospital = AddHospitalRecord(*storage, options.hospital, now);
            AddAdministrator(*storage, hospital, options.admin, options.adminPassword, options.passwordIterations, now);
        }
        storage->Analyze();
        storage.reset();
    }
    if (options.engine == StorageEngine::Sqlite) chmod(database.c_str(), 0600);

    // server.ini last: a folder without it was never finished.
    Save(serverIni, dir / kServerIni, 0600, made);
    result.config = LoadServerConfig(dir);
    result.clientIni = dir / kClientIni;
    Save(ClientIni(result.config, options.host), result.clientIni, 0644, made);
    made.Keep();
    return result;
}

}  // namespace

InitResult InitDataFolder(const fs::path& dir, const InitOptions& options) {
    try {
        return MakeDataFolder(dir, options);
    } catch (const InitError&) {
        throw;
    } catch (const std::exception& e) {
        throw InitError(e.what());
    }
}

std::string FormatLogins(const std::vector<DemoLogin>& logins) {
    std::string text;
    for (const DemoLogin& login : logins) {
        text += login.email + "  password " + login.password;
        if (!login.roles.empty()) text += "  (" + login.roles + ")";
        text += "\n";
    }
    return text;
}

}  // namespace dalvero::server
