#include "audit_anchor.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include "hex_digest.h"

namespace dalvero::server {

namespace fs = std::filesystem;

fs::path AuditKeyFile(const ServerConfig& config) { return config.keyFile.parent_path() / kAuditKeyName; }

fs::path AuditAnchorFile(const ServerConfig& config) { return config.dataDir / "audit-anchors"; }

void AuditAnchor::MakeKey(const fs::path& keyFile) {
    if (fs::exists(keyFile)) return;
    std::array<unsigned char, 32> key{};
    if (RAND_bytes(key.data(), static_cast<int>(key.size())) != 1)
        throw std::runtime_error("no random bytes for the audit key");
    const std::string text = HexOf(key.data(), key.size()) + "\n";
    const int fd = ::open(keyFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                         ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!written) throw std::runtime_error("cannot write the audit key " + keyFile.string());
}

AuditAnchor::AuditAnchor(const fs::path& keyFile, fs::path anchorFile) : file_(std::move(anchorFile)) {
    std::ifstream in(keyFile);
    if (!std::getline(in, key_) || key_.size() < 32)
        throw std::runtime_error("cannot read the audit key " + keyFile.string());
}

std::string AuditAnchor::Seal(std::int64_t seq, const std::string& hash) const {
    const std::string text = std::to_string(seq) + " " + hash;
    std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
    unsigned int size = 0;
    if (!HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()), reinterpret_cast<const unsigned char*>(text.data()),
              text.size(), mac.data(), &size))
        throw std::runtime_error("HMAC-SHA-256 failed");
    return HexOf(mac.data(), size);
}

void AuditAnchor::Append(std::int64_t seq, const std::string& hash) const {
    const std::string line = std::to_string(seq) + " " + (hash.empty() ? "-" : hash) + " " + Seal(seq, hash) + "\n";
    const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const bool written =
        fd >= 0 && ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) && ::fdatasync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!written) throw std::runtime_error("cannot append to " + file_.string());
}

std::vector<AuditAnchorLine> AuditAnchor::Lines() const {
    std::vector<AuditAnchorLine> lines;
    std::ifstream in(file_);
    for (std::string text; std::getline(in, text);) {
        std::istringstream fields(text);
        AuditAnchorLine line;
        std::string mac;
        fields >> line.seq >> line.hash >> mac;
        if (line.hash == "-") line.hash.clear();
        line.sealed = !fields.fail() && mac == Seal(line.seq, line.hash);
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace dalvero::server
