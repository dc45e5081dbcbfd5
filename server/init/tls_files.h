#pragma once
// The data folder's private certificate authority and the DataServer's
// certificate for the host that clients name in their Dalvero.ini.

#include <filesystem>
#include <string>

namespace dalvero::server {

struct TlsFiles {
    std::filesystem::path caCertificate;      // ca.pem: what clients trust
    std::filesystem::path caKey;              // ca.key: kept to issue a new server certificate
    std::filesystem::path serverCertificate;  // server.pem
    std::filesystem::path serverKey;          // server.key
};

// Makes an EC P-256 CA and a server certificate signed by it in `dir`: CN the
// host, subjectAltName the host (an IP entry for an address, else DNS), plus
// DNS:localhost and IP:127.0.0.1 when the host is a loopback name or
// address. Key files are made with mode 0600. Throws std::runtime_error with
// OpenSSL's reason on failure.
TlsFiles MakeTlsFiles(const std::filesystem::path& dir, const std::string& host);

// localhost, *.localhost, 127.0.0.0/8 and ::1.
bool IsLoopbackHost(const std::string& host);

}  // namespace dalvero::server
