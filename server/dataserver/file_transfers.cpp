#include "file_transfers.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <vector>

#include "file_age.h"
#include "frame.h"
#include "request_error.h"
#include "server_lists.h"
#include "string_list.h"
#include "whole_number.h"

namespace dalvero::server {

namespace fs = std::filesystem;

namespace {

constexpr char kDone[] = "OK";
constexpr char kMissing[] = "~";

bool WriteHeader(Channel& channel, std::uint32_t size, std::int32_t fileDate) {
    std::array<std::uint8_t, 8> header{};
    frame::PutUint32(header.data(), size);
    frame::PutUint32(header.data() + 4, static_cast<std::uint32_t>(fileDate));
    return channel.Write(header.data(), header.size());
}

bool ReadSize(Channel& channel, std::uint32_t& size) {
    std::array<std::uint8_t, 4> bytes{};
    if (!channel.Read(bytes.data(), bytes.size())) return false;
    size = frame::GetUint32(bytes.data());
    return true;
}

struct RecordFileRequest {
    std::string table;
    std::int64_t seq = 0;
    int slot = 0;
    std::int32_t fileDate = 0;
};

// "table,seq,slot" for a download, with ",fileDate" for an upload.
RecordFileRequest ParseRecordFileRequest(std::string_view request, bool upload) {
    const std::vector<std::string> items = ParseCommaText(request);
    if (items.size() != (upload ? 4u : 3u)) throw RequestError(ErrorCode::Malformed, "Unreadable file request");
    RecordFileRequest parsed;
    parsed.table = RequireTable(items[0]).name;
    parsed.seq = ParseSeq(items[1]);
    parsed.slot = ToIntDef(items[2], 0);
    if (parsed.slot < 1) throw RequestError(ErrorCode::Malformed, "Bad file slot " + items[2]);
    if (upload) {
        const auto date = ParseWholeNumber(items[3]);
        if (!date) throw RequestError(ErrorCode::Malformed, "Bad file date " + items[3]);
        parsed.fileDate = static_cast<std::int32_t>(*date);
    }
    return parsed;
}

}  // namespace

FileTransfers::FileTransfers(Storage& storage, fs::path filesRoot, RecordFileQuota quota)
    : storage_(storage), filesRoot_(std::move(filesRoot)), quota_(quota) {}

std::optional<std::string> FileTransfers::OverQuota(std::string_view table, std::int64_t seq, int slot,
                                                    std::uint64_t size) const {
    const Storage::RecordFileBytes others = storage_.OtherRecordFileBytes(table, seq, slot);
    if (others.record + size > quota_.perRecordBytes)
        return ErrorReply(ErrorCode::FileError, "The record's files would exceed their quota");
    if (others.total + size > quota_.totalBytes)
        return ErrorReply(ErrorCode::FileError, "The server's file quota is used up");
    return std::nullopt;
}

fs::path FileTransfers::Resolve(std::string_view remoteName) const {
    std::string name(remoteName);
    std::replace(name.begin(), name.end(), '\\', '/');
    auto refuse = [&] { return RequestError(ErrorCode::FileError, "Bad file name " + std::string(remoteName)); };
    if (name.empty() || name.front() == '/') throw refuse();
    fs::path path = filesRoot_;
    std::size_t parts = 0;
    for (std::size_t begin = 0; begin <= name.size();) {
        const std::size_t end = std::min(name.find('/', begin), name.size());
        const std::string part = name.substr(begin, end - begin);
        begin = end + 1;
        if (part.empty()) continue;
        if (part == "." || part == ".." || part.find(':') != std::string::npos) throw refuse();
        path /= part;
        ++parts;
    }
    if (parts == 0) throw refuse();
    // A symbolic link inside files/ must not lead out of it (to the TLS keys,
    // say): the real path has to stay under the real root.
    std::error_code error;
    const fs::path real = fs::weakly_canonical(path, error);
    const fs::path root = fs::weakly_canonical(filesRoot_, error);
    if (error) throw refuse();
    const fs::path inside = real.lexically_relative(root);
    if (inside.empty() || *inside.begin() == ".." || inside == ".") throw refuse();
    return real;
}

std::string FileTransfers::FileInfo(std::string_view remoteName) const {
    const fs::path path = Resolve(remoteName);
    std::error_code error;
    const bool present = fs::is_regular_file(path, error);
    const auto size = present ? fs::file_size(path, error) : 0;
    const bool known = present && !error;
    return ToCommaText({"FileSize=" + std::to_string(known ? size : 0),
                        "FileDate=" + std::to_string(known ? FileAge(path.string()) : 0)});
}

bool FileTransfers::Download(std::string_view remoteName, Channel& channel) const {
    fs::path path;
    try {
        path = Resolve(remoteName);
    } catch (const RequestError& e) {
        return RefuseDownload(channel, ErrorReply(e.code(), e.what()));
    }
    std::error_code error;
    const auto size = fs::is_regular_file(path, error) ? fs::file_size(path, error) : 0;
    std::ifstream in(path, std::ios::binary);
    if (error || !in || size == 0 || size > UINT32_MAX)
        return RefuseDownload(channel, ErrorReply(ErrorCode::FileError, "Cannot send " + std::string(remoteName)));

    if (!WriteHeader(channel, static_cast<std::uint32_t>(size), FileAge(path.string()))) return false;
    channel.ExpectTransfer(size);
    std::vector<char> piece(frame::kFilePiece);
    for (std::uintmax_t done = 0; done < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uintmax_t>(piece.size(), size - done));
        // A file cut short under us cannot keep the promised size: end the connection.
        if (!in.read(piece.data(), static_cast<std::streamsize>(n)) || !channel.Write(piece.data(), n)) return false;
        done += n;
    }
    return WriteReply(channel, kDone);
}

bool FileTransfers::GetRecordFile(std::string_view request, Channel& channel) {
    std::optional<Storage::StoredFile> file;
    try {
        const RecordFileRequest parsed = ParseRecordFileRequest(request, false);
        file = storage_.ReadRecordFile(parsed.table, parsed.seq, parsed.slot);
    } catch (const RequestError& e) {
        return RefuseDownload(channel, ErrorReply(e.code(), e.what()));
    } catch (const StorageError& e) {
        return RefuseDownload(channel, InternalErrorReply(e.what()));
    }
    if (!file || file->content.empty() || file->content.size() > UINT32_MAX) return RefuseDownload(channel, kMissing);
    if (!WriteHeader(channel, static_cast<std::uint32_t>(file->content.size()), file->fileDate)) return false;
    channel.ExpectTransfer(file->content.size());
    for (std::size_t done = 0; done < file->content.size(); done += frame::kFilePiece) {
        const std::size_t n = std::min(frame::kFilePiece, file->content.size() - done);
        if (!channel.Write(file->content.data() + done, n)) return false;
    }
    return WriteReply(channel, kDone);
}

bool FileTransfers::PutRecordFile(std::string_view request, Channel& channel) {
    RecordFileRequest parsed;
    try {
        parsed = ParseRecordFileRequest(request, true);
    } catch (const RequestError& e) {
        return RefuseUpload(channel, ErrorReply(e.code(), e.what()));
    }
    std::uint32_t size = 0;
    if (!ReadSize(channel, size)) return false;
    std::optional<std::string> refusal;
    try {
        refusal = size > kMaxRecordFile ? ErrorReply(ErrorCode::FileError, "File too large")
                                        : OverQuota(parsed.table, parsed.seq, parsed.slot, size);
    } catch (const StorageError& e) {
        refusal = InternalErrorReply(e.what());
    }
    if (refusal) return RefuseUpload(channel, *refusal);
    channel.ExpectTransfer(size);
    Storage::StoredFile file;
    file.fileDate = parsed.fileDate;
    file.content.resize(size);
    if (!channel.Read(file.content.data(), size)) return false;
    try {
        storage_.WriteRecordFile(parsed.table, parsed.seq, parsed.slot, file);
    } catch (const StorageError& e) {
        return WriteReply(channel, InternalErrorReply(e.what()));
    }
    return WriteReply(channel, kDone);
}

bool FileTransfers::RefuseDownload(Channel& channel, const std::string& reply) {
    return WriteHeader(channel, 0, 0) && WriteReply(channel, reply);
}

bool FileTransfers::RefuseUpload(Channel& channel, const std::string& reply) {
    // Reading what the peer announces would let anyone hold a worker for as
    // long as they like; the unread content ends the connection instead.
    WriteReply(channel, reply);
    return false;
}

}  // namespace dalvero::server
