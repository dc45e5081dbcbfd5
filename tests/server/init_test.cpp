#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include <sys/stat.h>

#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include "init_error.h"
#include "init_test_support.h"
#include "schema.h"
#include "table_catalogue.h"
#include "tls_files.h"

namespace dalvero::server::test {
namespace {

namespace fs = std::filesystem;
namespace cat = dalvero::catalogue;

std::unique_ptr<X509, decltype(&X509_free)> ReadCertificate(const fs::path& file) {
    FILE* in = std::fopen(file.c_str(), "r");
    X509* cert = in ? PEM_read_X509(in, nullptr, nullptr, nullptr) : nullptr;
    if (in) std::fclose(in);
    return {cert, X509_free};
}

// Whether `server` verifies against `ca` for the name or address.
bool Verifies(const fs::path& ca, const fs::path& server, const std::string& host, bool isIp) {
    auto caCert = ReadCertificate(ca);
    auto serverCert = ReadCertificate(server);
    if (!caCert || !serverCert) return false;
    X509_STORE* store = X509_STORE_new();
    X509_STORE_add_cert(store, caCert.get());
    X509_STORE_CTX* ctx = X509_STORE_CTX_new();
    X509_STORE_CTX_init(ctx, store, serverCert.get(), nullptr);
    X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(ctx);
    X509_VERIFY_PARAM_set_purpose(param, X509_PURPOSE_SSL_SERVER);
    if (isIp) {
        X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str());
    } else {
        X509_VERIFY_PARAM_set1_host(param, host.c_str(), 0);
    }
    bool ok = X509_verify_cert(ctx) == 1;
    X509_STORE_CTX_free(ctx);
    X509_STORE_free(store);
    return ok;
}

unsigned Mode(const fs::path& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

TEST(InitFolder, CertificateChainVerifiesForTheLoopbackHost) {
    const TlsFiles tls{SharedDemoFolder().result.config.caFile, SharedDemoFolder().dir / "tls" / "ca.key",
                       SharedDemoFolder().result.config.certificateFile, SharedDemoFolder().result.config.keyFile};
    EXPECT_TRUE(Verifies(tls.caCertificate, tls.serverCertificate, "localhost", false));
    EXPECT_TRUE(Verifies(tls.caCertificate, tls.serverCertificate, "127.0.0.1", true));
    EXPECT_FALSE(Verifies(tls.caCertificate, tls.serverCertificate, "dalvero.example.org", false));
    EXPECT_FALSE(Verifies(tls.caCertificate, tls.serverCertificate, "10.0.0.1", true));
    EXPECT_EQ(Mode(tls.serverKey), 0600u);
    EXPECT_EQ(Mode(tls.caKey), 0600u);

    // The key beside the certificate is the certificate's.
    auto cert = ReadCertificate(tls.serverCertificate);
    FILE* in = std::fopen(tls.serverKey.c_str(), "r");
    ASSERT_NE(in, nullptr);
    EVP_PKEY* key = PEM_read_PrivateKey(in, nullptr, nullptr, nullptr);
    std::fclose(in);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(X509_check_private_key(cert.get(), key), 1);
    EVP_PKEY_free(key);
}

TEST(InitFolder, CertificatesForOtherHosts) {
    fs::path named = TempPath("tls_named");
    TlsFiles byName = MakeTlsFiles(named, "dalvero.example.org");
    EXPECT_TRUE(Verifies(byName.caCertificate, byName.serverCertificate, "dalvero.example.org", false));
    EXPECT_FALSE(Verifies(byName.caCertificate, byName.serverCertificate, "localhost", false));
    EXPECT_FALSE(Verifies(byName.caCertificate, byName.serverCertificate, "127.0.0.1", true));

    fs::path address = TempPath("tls_ip");
    TlsFiles byAddress = MakeTlsFiles(address, "192.0.2.10");
    EXPECT_TRUE(Verifies(byAddress.caCertificate, byAddress.serverCertificate, "192.0.2.10", true));
    // Another folder's authority vouches for nothing here.
    EXPECT_FALSE(Verifies(byName.caCertificate, byAddress.serverCertificate, "192.0.2.10", true));

    // Existing key files are never overwritten.
    EXPECT_THROW(MakeTlsFiles(named, "dalvero.example.org"), std::runtime_error);
    fs::remove_all(named);
    fs::remove_all(address);
}

TEST(InitFolder, LoopbackHosts) {
    for (const char* host : {"localhost", "db.localhost", "127.0.0.1", "127.1.2.3", "::1"})
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
    for (const char* host : {"example.org", "128.0.0.1", "localhost.example.org", "10.0.0.1", ""})
        EXPECT_FALSE(IsLoopbackHost(host)) << host;
}

TEST(InitFolder, LayoutAndConfiguration) {
    const DemoFolder& folder = SharedDemoFolder();
    const ServerConfig& config = folder.result.config;
    EXPECT_EQ(config.dataDir, folder.dir);
    EXPECT_EQ(Mode(folder.dir), 0700u);
    EXPECT_TRUE(fs::is_directory(folder.dir / "files" / "Clients"));
    EXPECT_TRUE(fs::is_directory(config.mail.outboxDir));
    EXPECT_EQ(config.dataServer.bind, "127.0.0.1");
    EXPECT_EQ(Mode(folder.dir / "server.ini"), 0600u);

    IniFile client;
    ASSERT_TRUE(client.LoadFromFile(folder.result.clientIni.string()));
    EXPECT_EQ(client.ReadString("DataServer", "IP"), "localhost");
    EXPECT_EQ(client.ReadString("DataServer", "Port"), "8700");
    EXPECT_EQ(client.ReadString("DataServer", "CAFile"), config.caFile.string());
    EXPECT_TRUE(config.caFile.is_absolute());
    EXPECT_EQ(client.ReadString("FunctionServer", "Port"), std::to_string(config.functionServer.port));
    EXPECT_EQ(client.ReadString("FunctionServer", "CAFile"), config.caFile.string());
}

TEST(InitFolder, LoadsTheCodeBooks) {
    DemoFolder& folder = SharedDemoFolder();
    Storage& storage = *folder.storage;
    // Every line of every book, the count reported being the count stored.
    EXPECT_EQ(storage.Count(cat::tbl::kICD9Symptom, {}), 14567);
    EXPECT_EQ(folder.result.procedures, 3882u);
    EXPECT_EQ(storage.Count(cat::tbl::kICD9Treatment, {}), 3882);
    EXPECT_EQ(storage.Count(schema::kZipCentroids, {}), 33791);

    auto one = [&](const char* table, int field, const char* value) {
        auto rows = storage.Select({table, {{field, CompareOp::Equal, value, false}}, {}, false, 0, -1});
        return rows.size() == 1 ? rows.front().fields : FieldValues{};
    };
    EXPECT_EQ(one(cat::tbl::kICD9Symptom, cat::icd9::kCode, "38600")[cat::icd9::kDescription],
              "M\xC3\xA9ni\xC3\xA8re's disease, unspecified");
    EXPECT_EQ(one(cat::tbl::kICD9Treatment, cat::icd9::kCode, "016")[cat::icd9::kDescription], "Excision of lesion of skull");
    FieldValues zip = one(schema::kZipCentroids, schema::zip_centroids::kZip, "00601");
    EXPECT_EQ(zip[schema::zip_centroids::kLatitude], "18.180555");
    EXPECT_EQ(zip[schema::zip_centroids::kLongitude], "-66.749961");
}

TEST(InitFolder, RefusesAFolderThatHoldsADatabase) {
    const DemoFolder& folder = SharedDemoFolder();
    auto before = fs::last_write_time(folder.dir / "server.ini");
    InitOptions options;
    options.referenceDir = ReferenceDir();
    try {
        InitDataFolder(folder.dir, options);
        FAIL() << "an initialised folder was initialised again";
    } catch (const InitError& e) {
        EXPECT_NE(std::string(e.what()).find("already holds"), std::string::npos) << e.what();
    }
    EXPECT_EQ(fs::last_write_time(folder.dir / "server.ini"), before);
    EXPECT_TRUE(fs::exists(folder.result.config.databaseFile));
    EXPECT_TRUE(fs::exists(folder.result.config.caFile));

    // A database file alone (no server.ini) is refused as well.
    fs::path bare = TempPath("bare");
    fs::create_directories(bare);
    std::ofstream(bare / "dalvero.db") << "x";
    EXPECT_THROW(InitDataFolder(bare, options), InitError);
    EXPECT_EQ(fs::file_size(bare / "dalvero.db"), 1u);
    fs::remove_all(bare);
}

// A reference folder with tiny code books; `zips` is the centroid file's body.
fs::path SmallReference(const std::string& name, const std::string& zips) {
    fs::path reference = TempPath(name);
    fs::create_directories(reference / "demo");
    fs::copy_file(ReferenceDir() / "demo" / "hospital_logo.jpg", reference / "demo" / "hospital_logo.jpg");
    std::ofstream(reference / "icd9cm_v32_diagnoses.txt") << "4019  Unspecified essential hypertension\n";
    std::ofstream(reference / "icd9cm_v32_procedures.txt") << "8154 Total knee replacement\n";
    std::ofstream(reference / "zcta_centroids.tsv") << "zip\tlat\tlon\n" << zips;
    return reference;
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    return names;
}

TEST(InitFolder, UnreadableReferenceFileIsNamedAndNothingIsMade) {
    fs::path reference = SmallReference("reference_broken", "43210\t40.004\t-83.0194\n");
    std::ofstream(reference / "icd9cm_v32_procedures.txt") << "016  Excision of lesion of skull\nbroken\n";
    fs::path dir = TempPath("never");
    InitOptions options;
    options.referenceDir = reference;
    try {
        InitDataFolder(dir, options);
        FAIL() << "a broken code book was loaded";
    } catch (const InitError& e) {
        EXPECT_NE(std::string(e.what()).find("icd9cm_v32_procedures.txt:2"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(dir));
    fs::remove_all(reference);
}

TEST(InitFolder, AFailedRunRemovesWhatItMade) {
    // The demo cannot place its hospital without its ZIP code: that fails
    // after the certificates and the database were made.
    fs::path reference = SmallReference("reference_nozip", "00601\t18.180555\t-66.749961\n");
    InitOptions options;
    options.demo = true;
    options.referenceDir = reference;

    fs::path existing = TempPath("existing");
    fs::create_directories(existing);
    std::ofstream(existing / "notes.txt") << "mine";
    EXPECT_THROW(InitDataFolder(existing, options), InitError);
    EXPECT_EQ(Names(existing), std::vector<std::string>{"notes.txt"});

    fs::path fresh = TempPath("fresh");
    EXPECT_THROW(InitDataFolder(fresh, options), InitError);
    EXPECT_FALSE(fs::exists(fresh));
    fs::remove_all(reference);
    fs::remove_all(existing);
}

TEST(InitFolder, PublicHostListensOnEveryInterface) {
    fs::path reference = SmallReference("reference_small", "43210\t40.004\t-83.0194\n");

    fs::path dir = TempPath("public");
    InitOptions options;
    options.host = "dalvero.example.org";
    options.referenceDir = reference;
    InitResult result = InitDataFolder(dir, options);
    EXPECT_EQ(result.config.dataServer.bind, "0.0.0.0");
    EXPECT_EQ(result.config.functionServer.bind, "0.0.0.0");
    EXPECT_TRUE(result.logins.empty());
    EXPECT_EQ(result.zips, 1u);
    IniFile client;
    ASSERT_TRUE(client.LoadFromFile(result.clientIni.string()));
    EXPECT_EQ(client.ReadString("DataServer", "IP"), "dalvero.example.org");
    EXPECT_TRUE(Verifies(result.config.caFile, result.config.certificateFile, "dalvero.example.org", false));
    {
        // The category catalogue comes with every folder, demo or not.
        SqliteStorage storage(result.config.databaseFile.string());
        EXPECT_EQ(storage.Count(cat::tbl::kProviderCategories, {}), 82);
        EXPECT_EQ(storage.Count(cat::tbl::kPersonnel, {}), 0);
    }
    fs::remove_all(dir);
    fs::remove_all(reference);
}

}  // namespace
}  // namespace dalvero::server::test
