#include "tls_files.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <unistd.h>

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace dalvero::server {
namespace {

constexpr long kCaDays = 3650;
constexpr long kServerDays = 825;

struct Free {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
    void operator()(X509* p) const { X509_free(p); }
    void operator()(X509_EXTENSION* p) const { X509_EXTENSION_free(p); }
    void operator()(BIGNUM* p) const { BN_free(p); }
    void operator()(FILE* p) const { std::fclose(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Free>;
using Cert = std::unique_ptr<X509, Free>;

[[noreturn]] void Fail(const std::string& what) {
    unsigned long code = ERR_get_error();
    char reason[256] = "";
    if (code != 0) ERR_error_string_n(code, reason, sizeof reason);
    ERR_clear_error();
    throw std::runtime_error(what + (code != 0 ? std::string(": ") + reason : std::string()));
}

void Check(int ok, const std::string& what) {
    if (ok != 1) Fail(what);
}

bool IsIpAddress(const std::string& host) {
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

Key MakeKey() {
    Key key(EVP_EC_gen("P-256"));
    if (!key) Fail("Cannot make an EC key");
    return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    std::unique_ptr<X509_EXTENSION, Free> ext(X509V3_EXT_nconf_nid(nullptr, &ctx, nid, value.c_str()));
    if (!ext) Fail("Bad certificate extension " + value);
    Check(X509_add_ext(cert, ext.get(), -1), "Cannot add certificate extension");
}

// A certificate for `subjectKey` named `commonName` (left out beyond the 64
// characters a CN may hold: the subjectAltName carries the host), issued by
// `issuer`, or self-issued when there is none.
Cert MakeCertificate(EVP_PKEY* subjectKey, const std::string& commonName, long days, X509* issuer) {
    Cert cert(X509_new());
    if (!cert) Fail("X509_new");
    Check(X509_set_version(cert.get(), X509_VERSION_3), "X509_set_version");

    unsigned char serial[16];
    Check(RAND_bytes(serial, sizeof serial), "No random bytes for a serial number");
    serial[0] &= 0x7F;  // positive
    std::unique_ptr<BIGNUM, Free> number(BN_bin2bn(serial, sizeof serial, nullptr));
    if (!number || !BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(cert.get()))) Fail("Cannot set serial number");

    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -60 * 60);  // tolerate a client clock an hour behind
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * 24 * 60 * 60);
    Check(X509_set_pubkey(cert.get(), subjectKey), "X509_set_pubkey");

    X509_NAME* name = X509_get_subject_name(cert.get());
    Check(X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Dalvero"), -1, -1, 0),
          "Cannot set organisation");
    if (commonName.size() <= 64) {
        Check(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                                         reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0),
              "Cannot set common name " + commonName);
    }
    X509* signer = issuer ? issuer : cert.get();
    Check(X509_set_issuer_name(cert.get(), X509_get_subject_name(signer)), "X509_set_issuer_name");
    return cert;
}

void Sign(X509* cert, EVP_PKEY* key) {
    if (X509_sign(cert, key, EVP_sha256()) <= 0) Fail("Cannot sign certificate");
}

std::unique_ptr<FILE, Free> OpenNew(const std::filesystem::path& path, mode_t mode) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) throw std::runtime_error("Cannot create " + path.string());
    FILE* file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        throw std::runtime_error("Cannot write " + path.string());
    }
    return std::unique_ptr<FILE, Free>(file);
}

void Finish(std::unique_ptr<FILE, Free> file, const std::filesystem::path& path) {
    bool ok = std::fflush(file.get()) == 0 && fsync(fileno(file.get())) == 0;
    ok = std::fclose(file.release()) == 0 && ok;
    if (!ok) throw std::runtime_error("Cannot write " + path.string());
}

void WriteKey(const std::filesystem::path& path, EVP_PKEY* key) {
    auto file = OpenNew(path, 0600);
    Check(PEM_write_PrivateKey(file.get(), key, nullptr, nullptr, 0, nullptr, nullptr), "Cannot write " + path.string());
    Finish(std::move(file), path);
}

void WriteCertificate(const std::filesystem::path& path, X509* cert) {
    auto file = OpenNew(path, 0644);
    Check(PEM_write_X509(file.get(), cert), "Cannot write " + path.string());
    Finish(std::move(file), path);
}

}  // namespace

bool IsLoopbackHost(const std::string& host) {
    auto endsWith = [&](const std::string& tail) {
        return host.size() >= tail.size() && host.compare(host.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (host == "localhost" || endsWith(".localhost") || host == "::1") return true;
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

TlsFiles MakeTlsFiles(const std::filesystem::path& dir, const std::string& host) {
    if (host.empty()) throw std::runtime_error("No host name for the server certificate");
    std::filesystem::create_directories(dir);
    TlsFiles files{dir / "ca.pem", dir / "ca.key", dir / "server.pem", dir / "server.key"};

    Key caKey = MakeKey();
    Cert ca = MakeCertificate(caKey.get(), "Dalvero private CA", kCaDays, nullptr);
    AddExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE,pathlen:0");
    AddExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash");
    Sign(ca.get(), caKey.get());

    std::string altNames = (IsIpAddress(host) ? "IP:" : "DNS:") + host;
    if (IsLoopbackHost(host)) {
        if (host != "localhost") altNames += ",DNS:localhost";
        if (host != "127.0.0.1") altNames += ",IP:127.0.0.1";
    }
    Key serverKey = MakeKey();
    Cert server = MakeCertificate(serverKey.get(), host, kServerDays, ca.get());
    AddExtension(server.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(server.get(), ca.get(), NID_key_usage, "critical,digitalSignature");
    AddExtension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth");
    AddExtension(server.get(), ca.get(), NID_subject_alt_name, altNames);
    AddExtension(server.get(), ca.get(), NID_subject_key_identifier, "hash");
    AddExtension(server.get(), ca.get(), NID_authority_key_identifier, "keyid:always");
    Sign(server.get(), caKey.get());

    WriteKey(files.caKey, caKey.get());
    WriteCertificate(files.caCertificate, ca.get());
    WriteKey(files.serverKey, serverKey.get());
    WriteCertificate(files.serverCertificate, server.get());
    return files;
}

}  // namespace dalvero::server
