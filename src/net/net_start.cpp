#include "net_start.h"

#include <openssl/ssl.h>

#include <csignal>
#include <mutex>

namespace dalvero {

void StartNetwork() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGPIPE, SIG_IGN);
    });
}

void StartTls() {
    static std::once_flag once;
    std::call_once(once, [] {
        StartNetwork();
        OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
    });
}

}  // namespace dalvero
