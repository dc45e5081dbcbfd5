#pragma once
// TLS contexts for both ends. A client context verifies the server: its
// certificate chain against a certificate authority and, per connection, its
// name against the host that was dialled. A server context carries our
// certificate and key. Both allow TLS 1.2 and later with OpenSSL's default
// ciphers.

#include <openssl/types.h>

#include <memory>
#include <string>

namespace dalvero {

struct TlsContextFree {
    void operator()(SSL_CTX* context) const noexcept;
};
using TlsContext = std::unique_ptr<SSL_CTX, TlsContextFree>;

// caFile empty: the system trust store. On failure returns no context and,
// when failure is given, sets it to the fixed text of the step that failed
// (e.g. "Couldn't read certificate authority").
TlsContext CreateClientTlsContext(const std::string& caFile, const char** failure = nullptr);

// certFile may hold the chain after the certificate; password unlocks an
// encrypted keyFile. Failures as above ("Couldn't read certificate",
// "Couldn't read private key").
TlsContext CreateServerTlsContext(const std::string& certFile, const std::string& keyFile,
                                  const std::string& password = {}, const char** failure = nullptr);

}  // namespace dalvero
