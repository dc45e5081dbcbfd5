#include "tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cstring>
#include <mutex>

#include "net_start.h"
#include "socket_error.h"

namespace dalvero {

namespace {

std::mutex& CreationMutex() {
    static std::mutex mutex;
    return mutex;
}

// TLS 1.2 suites a server offers: forward secret (ECDHE) and authenticated
// encryption only, so no CBC mode, no SHA-1 MAC and no static RSA key
// exchange. TLS 1.3 suites all qualify and keep OpenSSL's defaults.
constexpr char kServerCiphers[] =
    "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:ECDHE-ECDSA-AES256-GCM-SHA384:"
    "ECDHE-RSA-AES256-GCM-SHA384:ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";

int PasswordCallback(char* buffer, int size, int, void* userData) {
    const auto* password = static_cast<const std::string*>(userData);
    if (!password || password->size() + 1 > static_cast<std::size_t>(size)) return 0;
    std::memcpy(buffer, password->c_str(), password->size() + 1);
    return static_cast<int>(password->size());
}

// Runs configure on a fresh context under the process-wide lock; a step that
// raises frees the context and reports its text.
template <typename Configure>
TlsContext CreateContext(Configure configure, const char** failure) {
    StartTls();
    std::lock_guard lock(CreationMutex());
    try {
        TlsContext context(SSL_CTX_new(TLS_method()));
        if (!context) throw SocketError("SSL_CTX_new() returned NULL");
        SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
        configure(context.get());
        static const unsigned char kSessionId[] = "SecureSocketsLibrary";
        if (SSL_CTX_set_session_id_context(context.get(), kSessionId, sizeof kSessionId - 1) != 1)
            throw SocketError("Failed to set context session id");
        return context;
    } catch (const SocketError& error) {
        if (failure) *failure = error.what();
        ERR_clear_error();
        return {};
    }
}

}  // namespace

void TlsContextFree::operator()(SSL_CTX* context) const noexcept { SSL_CTX_free(context); }

TlsContext CreateClientTlsContext(const std::string& caFile, const char** failure) {
    return CreateContext(
        [&](SSL_CTX* context) {
            const int loaded = caFile.empty() ? SSL_CTX_set_default_verify_paths(context)
                                              : SSL_CTX_load_verify_locations(context, caFile.c_str(), nullptr);
            if (loaded != 1) throw SocketError("Couldn't read certificate authority");
            SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
        },
        failure);
}

TlsContext CreateServerTlsContext(const std::string& certFile, const std::string& keyFile,
                                  const std::string& password, const char** failure) {
    return CreateContext(
        [&](SSL_CTX* context) {
            // Our client never resumes a session, so tickets would only be
            // unread data at its end of the connection.
            SSL_CTX_set_num_tickets(context, 0);
            if (SSL_CTX_set_cipher_list(context, kServerCiphers) != 1) throw SocketError("No usable cipher suite");
            SSL_CTX_set_options(context, SSL_OP_CIPHER_SERVER_PREFERENCE);
            if (!certFile.empty() && SSL_CTX_use_certificate_chain_file(context, certFile.c_str()) != 1)
                throw SocketError("Couldn't read certificate");
            // Always our callback: OpenSSL's own would prompt on the terminal.
            SSL_CTX_set_default_passwd_cb(context, PasswordCallback);
            SSL_CTX_set_default_passwd_cb_userdata(context, const_cast<std::string*>(&password));
            const bool keyRead =
                keyFile.empty() || SSL_CTX_use_PrivateKey_file(context, keyFile.c_str(), SSL_FILETYPE_PEM) == 1;
            // The password lives only for this call.
            SSL_CTX_set_default_passwd_cb(context, nullptr);
            SSL_CTX_set_default_passwd_cb_userdata(context, nullptr);
            if (!keyRead) throw SocketError("Couldn't read private key");
        },
        failure);
}

}  // namespace dalvero
