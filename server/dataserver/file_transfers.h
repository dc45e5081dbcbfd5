#pragma once
// File transfers of the DataServer: named files under the data folder's
// files/ directory (31002: download, size and date) and files attached to
// records (31003: download and upload; slot 1 of a hospital is its logo).
//
// A download sends an 8-byte header (size and file date, 32-bit little
// endian), the content, then a closing reply; a refused download sends a
// header of size 0 before its reply. An upload reads a 32-bit size and the
// content, then answers; a refused upload (logged out, malformed, too large,
// over quota) is answered without reading its content and ends the
// connection. The content of either must pass within the channel's
// transfer deadline. File dates are seconds since the Unix epoch.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "channel.h"
#include "storage.h"

namespace dalvero::server {

// What record files may hold, so that uploads cannot fill the disk.
struct RecordFileQuota {
    std::uint64_t perRecordBytes = UINT64_MAX;  // all slots of one record
    std::uint64_t totalBytes = UINT64_MAX;      // all records together
};

class FileTransfers {
public:
    // Files attached to records are kept up to this size.
    static constexpr std::uint32_t kMaxRecordFile = 32u << 20;

    FileTransfers(Storage& storage, std::filesystem::path filesRoot, RecordFileQuota quota = {});

    // "FileSize" and "FileDate", both 0 when there is no such file. Throws
    // RequestError for a name outside the files directory.
    std::string FileInfo(std::string_view remoteName) const;

    // Each returns false when the channel failed; the connection is then over.
    bool Download(std::string_view remoteName, Channel& channel) const;
    bool GetRecordFile(std::string_view request, Channel& channel);
    bool PutRecordFile(std::string_view request, Channel& channel);

    static bool RefuseDownload(Channel& channel, const std::string& reply);
    // Answers and returns false: the connection ends.
    static bool RefuseUpload(Channel& channel, const std::string& reply);

private:
    // "Clients\Dalvero" -> files/Clients/Dalvero. Throws RequestError for
    // absolute names and names that climb out ("..", or a symbolic link that
    // leads outside files/).
    std::filesystem::path Resolve(std::string_view remoteName) const;

    // A refusal when a file of size bytes in the slot would go over a quota.
    std::optional<std::string> OverQuota(std::string_view table, std::int64_t seq, int slot,
                                         std::uint64_t size) const;

    Storage& storage_;
    std::filesystem::path filesRoot_;
    RecordFileQuota quota_;
};

}  // namespace dalvero::server
