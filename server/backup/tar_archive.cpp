#include "tar_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <vector>

namespace dalvero::server {

namespace {

constexpr std::size_t kBlock = 512;
constexpr std::size_t kChunk = 1 << 16;
using Block = std::array<char, kBlock>;

// Where the ustar header keeps each field, and its width.
struct Field {
    std::size_t at;
    std::size_t width;
};
constexpr Field kName{0, 100}, kMode{100, 8}, kUid{108, 8}, kGid{116, 8}, kSize{124, 12}, kMtime{136, 12},
    kChecksum{148, 8}, kType{156, 1}, kMagic{257, 6}, kVersion{263, 2}, kPrefix{345, 155};
constexpr char kFileType = '0';
constexpr char kOldFileType = '\0';
constexpr char kDirectoryType = '5';

std::uint64_t Padded(std::uint64_t size) { return (size + kBlock - 1) / kBlock * kBlock; }

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

// Octal digits ending in NUL; a size too large for them takes the binary
// form GNU tar and every current tar read: the top bit set, then big-endian.
void PutNumber(Block& block, Field field, std::uint64_t value) {
    char* out = block.data() + field.at;
    const std::size_t digits = field.width - 1;
    if (digits * 3 >= 64 || value >> (digits * 3) == 0) {
        for (std::size_t i = digits; i-- > 0; value >>= 3) out[i] = static_cast<char>('0' + (value & 7));
        out[digits] = '\0';
        return;
    }
    std::memset(out, 0, field.width);
    out[0] = static_cast<char>(0x80);
    for (std::size_t i = field.width; i-- > 1 && value; value >>= 8) out[i] = static_cast<char>(value & 0xff);
}

std::optional<std::uint64_t> GetNumber(const Block& block, Field field) {
    const unsigned char* in = reinterpret_cast<const unsigned char*>(block.data()) + field.at;
    std::uint64_t value = 0;
    if (in[0] & 0x80) {
        for (std::size_t i = 1; i < field.width; ++i) {
            if (value >> 56) return std::nullopt;
            value = value << 8 | in[i];
        }
        return value;
    }
    std::size_t i = 0;
    while (i < field.width && in[i] == ' ') ++i;
    const std::size_t first = i;
    for (; i < field.width && in[i] >= '0' && in[i] <= '7'; ++i) {
        if (value >> 60) return std::nullopt;
        value = value << 3 | (in[i] - '0');
    }
    if (i == first || (i < field.width && in[i] != '\0' && in[i] != ' ')) return std::nullopt;
    return value;
}

std::string GetText(const Block& block, Field field) {
    const char* in = block.data() + field.at;
    return std::string(in, std::find(in, in + field.width, '\0'));
}

// The sum of the header's bytes with the checksum field read as spaces.
unsigned Checksum(const Block& block) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        const bool inField = i >= kChecksum.at && i < kChecksum.at + kChecksum.width;
        sum += inField ? ' ' : static_cast<unsigned char>(block[i]);
    }
    return sum;
}

void WriteAll(int fd, const char* bytes, std::size_t size, const std::filesystem::path& file) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail("cannot write " + file.string());
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

// A member name that stays inside the folder it is unpacked into.
bool SafeName(const std::string& name) {
    if (name.empty() || name.front() == '/') return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = name.find('/', start);
        const std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

}  // namespace

TarWriter::TarWriter(const std::filesystem::path& file) : file_(file) {
    fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0) Fail("cannot make " + file.string());
}

TarWriter::~TarWriter() {
    if (fd_ >= 0) ::close(fd_);
}

void TarWriter::Write(const char* bytes, std::size_t size) { WriteAll(fd_, bytes, size, file_); }

void TarWriter::Header(const std::string& name, char type, unsigned mode, std::uint64_t size) {
    Block block{};
    // Names past 100 bytes are split at a '/' into the prefix field.
    std::size_t split = 0;
    if (name.size() > kName.width) {
        split = name.rfind('/', kPrefix.width);
        if (split != std::string::npos && name.size() - split - 1 > kName.width) split = std::string::npos;
        if (split == std::string::npos || split == 0) throw std::runtime_error("the name " + name + " is too long");
        std::memcpy(block.data() + kPrefix.at, name.data(), split);
        ++split;
    }
    std::memcpy(block.data() + kName.at, name.data() + split, name.size() - split);
    PutNumber(block, kMode, mode & 07777);
    PutNumber(block, kUid, 0);
    PutNumber(block, kGid, 0);
    PutNumber(block, kSize, size);
    PutNumber(block, kMtime, static_cast<std::uint64_t>(std::time(nullptr)));
    block[kType.at] = type;
    std::memcpy(block.data() + kMagic.at, "ustar", kMagic.width);
    std::memcpy(block.data() + kVersion.at, "00", kVersion.width);
    const unsigned sum = Checksum(block);
    std::snprintf(block.data() + kChecksum.at, kChecksum.width, "%06o", sum);
    block[kChecksum.at + 7] = ' ';
    Write(block.data(), block.size());
}

void TarWriter::AddDirectory(const std::string& name, unsigned mode) { Header(name + "/", kDirectoryType, mode, 0); }

void TarWriter::AddFile(const std::string& name, const std::filesystem::path& source, unsigned mode) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) Fail("cannot read " + source.string());
    struct stat info {};
    std::vector<char> chunk(kChunk);
    try {
        if (::fstat(in, &info) != 0) Fail("cannot read " + source.string());
        const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
        Header(name, kFileType, mode, size);
        for (std::uint64_t left = size; left > 0;) {
            const ssize_t n = ::read(in, chunk.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk)));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) Fail("cannot read " + source.string());
            if (n == 0) throw std::runtime_error(source.string() + " shrank while it was copied");
            Write(chunk.data(), static_cast<std::size_t>(n));
            left -= static_cast<std::uint64_t>(n);
        }
        const Block zeros{};
        Write(zeros.data(), static_cast<std::size_t>(Padded(size) - size));
    } catch (...) {
        ::close(in);
        throw;
    }
    ::close(in);
}

void TarWriter::Finish() {
    const std::array<char, 2 * kBlock> end{};
    Write(end.data(), end.size());
    if (::fsync(fd_) != 0) Fail("cannot write " + file_.string());
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail("cannot write " + file_.string());
}

TarReader::TarReader(const std::filesystem::path& file) : file_(file) {
    fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) Fail("cannot read " + file.string());
}

TarReader::~TarReader() {
    if (fd_ >= 0) ::close(fd_);
}

void TarReader::Read(char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::read(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("cannot read " + file_.string());
        if (n == 0) throw std::runtime_error(file_.string() + " is cut short");
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

void TarReader::Skip() {
    content_ = 0;
    std::vector<char> chunk(kChunk);
    while (unread_ > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(unread_, kChunk));
        Read(chunk.data(), n);
        unread_ -= n;
    }
}

std::optional<TarReader::Member> TarReader::Next() {
    Skip();
    Block block{};
    Read(block.data(), block.size());
    if (std::all_of(block.begin(), block.end(), [](char c) { return c == '\0'; })) return std::nullopt;
    const std::string damaged = file_.string() + " is no backup archive or is damaged";
    const std::optional<std::uint64_t> sum = GetNumber(block, kChecksum);
    if (GetText(block, {kMagic.at, 5}) != "ustar" || !sum || *sum != Checksum(block)) throw std::runtime_error(damaged);
    Member member;
    const std::string prefix = GetText(block, kPrefix);
    member.name = (prefix.empty() ? "" : prefix + "/") + GetText(block, kName);
    const char type = block[kType.at];
    member.directory = type == kDirectoryType;
    if (member.directory && !member.name.empty() && member.name.back() == '/') member.name.pop_back();
    if (!member.directory && type != kFileType && type != kOldFileType)
        throw std::runtime_error(file_.string() + ": " + member.name + " is neither a folder nor a regular file");
    if (!SafeName(member.name)) throw std::runtime_error(file_.string() + ": unsafe name '" + member.name + "'");
    const std::optional<std::uint64_t> mode = GetNumber(block, kMode);
    const std::optional<std::uint64_t> size = GetNumber(block, kSize);
    if (!mode || !size) throw std::runtime_error(damaged);
    member.mode = static_cast<unsigned>(*mode & 07777);
    member.size = member.directory ? 0 : *size;
    content_ = member.size;
    unread_ = Padded(member.size);
    return member;
}

void TarReader::Extract(const std::filesystem::path& target, unsigned mode) {
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
    if (out < 0) Fail("cannot make " + target.string());
    std::vector<char> chunk(kChunk);
    try {
        for (std::uint64_t left = content_; left > 0;) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
            Read(chunk.data(), n);
            unread_ -= n;
            left -= n;
            WriteAll(out, chunk.data(), n, target);
        }
        content_ = 0;
        if (::fsync(out) != 0) Fail("cannot write " + target.string());
    } catch (...) {
        ::close(out);
        throw;
    }
    if (::close(out) != 0) Fail("cannot write " + target.string());
}

}  // namespace dalvero::server
