#include "smtp_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace dalvero::server::mail {
namespace {

struct Upload {
    std::string_view rest;
};

std::size_t ReadUpload(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    const std::size_t n = std::min(size * count, upload->rest.size());
    std::memcpy(buffer, upload->rest.data(), n);
    upload->rest.remove_prefix(n);
    return n;
}

std::string RelayUrl(const Settings& settings) {
    std::string host = settings.relay;
    if (host.find(':') != std::string::npos) host = "[" + host + "]";  // IPv6 literal
    return (settings.port == 465 ? "smtps://" : "smtp://") + host + ":" + std::to_string(settings.port);
}

}  // namespace

std::string SendThroughRelay(const Settings& settings, std::string_view recipient, std::string_view text) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return "The mail library could not start";
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> recipients(
        curl_slist_append(nullptr, ("<" + std::string(recipient) + ">").c_str()), curl_slist_free_all);
    if (!recipients) return "The mail library could not start";

    const std::string url = RelayUrl(settings);
    const std::string sender = "<" + settings.from + ">";
    Upload upload{text};
    char error[CURL_ERROR_SIZE] = {};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(settings.startTls ? CURLUSESSL_ALL : CURLUSESSL_NONE));
    if (!settings.user.empty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, settings.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, settings.password.c_str());
    }
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, sender.c_str());
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(h, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(h, CURLOPT_READDATA, &upload);
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    // Commands run on the server's connection threads: no signals, and a
    // relay that stops answering must not hold a thread for ever.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 120L);

    const CURLcode result = curl_easy_perform(h);
    if (result == CURLE_OK) return {};
    return "The mail relay " + settings.relay + " did not take the message: " +
           (error[0] ? std::string(error) : std::string(curl_easy_strerror(result)));
}

}  // namespace dalvero::server::mail
