#include "test_pki.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace dalvero::test {

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree {
    void operator()(X509* cert) const { X509_free(cert); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;

void Check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("TestPki: ") + what);
}

Key NewKey() {
    Key key(EVP_EC_gen("P-256"));
    Check(key != nullptr, "key generation");
    return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    Check(extension && X509_add_ext(cert, extension, -1) == 1, "certificate extension");
    X509_EXTENSION_free(extension);
}

// issuer null: self-signed.
Cert NewCert(EVP_PKEY* key, const std::string& commonName, X509* issuer, EVP_PKEY* issuerKey,
             const std::string& altNames) {
    static long serial = 1;
    Cert cert(X509_new());
    Check(cert != nullptr, "certificate");
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86'400);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);
    X509_set_pubkey(cert.get(), key);
    X509* signer = issuer ? issuer : cert.get();
    AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
    if (altNames.empty()) {
        AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(cert.get(), signer, NID_authority_key_identifier, "keyid");
        AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(cert.get(), signer, NID_key_usage, "critical,digitalSignature");
        AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
        AddExtension(cert.get(), signer, NID_subject_alt_name, altNames);
    }
    Check(X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0, "signing");
    return cert;
}

template <typename Write>
void WritePem(const std::string& path, Write write) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    Check(file != nullptr, "opening a PEM file");
    const bool ok = write(file);
    std::fclose(file);
    Check(ok, "writing a PEM file");
}

void WriteCert(const std::string& path, X509* cert) {
    WritePem(path, [&](std::FILE* file) { return PEM_write_X509(file, cert) == 1; });
}

}  // namespace

TestPki::TestPki(const std::string& hostName, bool loopbackIp)
    : folder_("dalvero-pki"), dir(folder_.Path().string()) {
    caFile = dir + "/ca.pem";
    certFile = dir + "/server.pem";
    keyFile = dir + "/server.key";
    otherCaFile = dir + "/other-ca.pem";

    const Key caKey = NewKey();
    const Cert ca = NewCert(caKey.get(), "Dalvero Test CA", nullptr, nullptr, {});
    const Key serverKey = NewKey();
    const std::string altNames = "DNS:" + hostName + (loopbackIp ? ",IP:127.0.0.1" : "");
    const Cert server = NewCert(serverKey.get(), hostName, ca.get(), caKey.get(), altNames);
    const Key otherKey = NewKey();
    const Cert other = NewCert(otherKey.get(), "Unrelated Test CA", nullptr, nullptr, {});

    WriteCert(caFile, ca.get());
    WriteCert(certFile, server.get());
    WriteCert(otherCaFile, other.get());
    WritePem(keyFile, [&](std::FILE* file) {
        return PEM_write_PrivateKey(file, serverKey.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
    });
}

std::string TestPki::WriteEncryptedKey(const std::string& password) const {
    std::FILE* in = std::fopen(keyFile.c_str(), "r");
    Check(in != nullptr, "reading the key");
    const Key key(PEM_read_PrivateKey(in, nullptr, nullptr, nullptr));
    std::fclose(in);
    Check(key != nullptr, "reading the key");
    const std::string path = dir + "/server-encrypted.key";
    WritePem(path, [&](std::FILE* file) {
        return PEM_write_PrivateKey(file, key.get(), EVP_aes_128_cbc(),
                                    reinterpret_cast<const unsigned char*>(password.data()),
                                    static_cast<int>(password.size()), nullptr, nullptr) == 1;
    });
    return path;
}

}  // namespace dalvero::test
