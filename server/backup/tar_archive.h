#pragma once
// A backup archive: a POSIX tar file (ustar, with the GNU binary size field
// for members of 8 GiB and more), so any tar lists and unpacks it, written
// and read by our own small code. Only folders and regular files are held;
// the reader refuses anything else, and any member name that would land
// outside the folder it is unpacked into.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace dalvero::server {

class TarWriter {
public:
    // Makes `file`, readable by its owner alone; it must not exist. Throws
    // std::runtime_error, as every method does when a write fails.
    explicit TarWriter(const std::filesystem::path& file);
    ~TarWriter();
    TarWriter(const TarWriter&) = delete;
    TarWriter& operator=(const TarWriter&) = delete;

    // `name` is relative, with '/' between its parts; `mode` the permission bits.
    void AddDirectory(const std::string& name, unsigned mode);
    // The content of the regular file `source`, which must not change while
    // it is read.
    void AddFile(const std::string& name, const std::filesystem::path& source, unsigned mode);
    // Writes the end of the archive and syncs it to disk.
    void Finish();

private:
    void Header(const std::string& name, char type, unsigned mode, std::uint64_t size);
    void Write(const char* bytes, std::size_t size);

    std::filesystem::path file_;
    int fd_ = -1;
};

class TarReader {
public:
    struct Member {
        std::string name;  // relative, '/' between parts, no "." or ".." part
        bool directory = false;
        unsigned mode = 0;
        std::uint64_t size = 0;
    };

    // Throws std::runtime_error when the file cannot be opened.
    explicit TarReader(const std::filesystem::path& file);
    ~TarReader();
    TarReader(const TarReader&) = delete;
    TarReader& operator=(const TarReader&) = delete;

    // The next member, its content unread; none at the archive's end. Throws
    // std::runtime_error for a damaged or cut archive, a member that is
    // neither a folder nor a regular file, or an unsafe name.
    std::optional<Member> Next();
    // Writes the current member's content into the new file `target` with
    // `mode` and syncs it. Throws std::runtime_error; `target` must not exist.
    void Extract(const std::filesystem::path& target, unsigned mode);

private:
    void Read(char* bytes, std::size_t size);
    void Skip();

    std::filesystem::path file_;
    int fd_ = -1;
    std::uint64_t content_ = 0;  // bytes of the current member's content not yet read
    std::uint64_t unread_ = 0;   // the same with the padding that fills its last block
};

}  // namespace dalvero::server
