// Files on the DataServer: named files (the client's update copies) and files
// attached to records (a hospital's logo).

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <system_error>

#include "cli_session.h"
#include "commands.h"
#include "output.h"

namespace fs = std::filesystem;

namespace dalvero::cli {

namespace {

// LOCAL "-" is standard output.
constexpr char kStandardOutput[] = "-";

// A folder that is not there is this machine's fault, not the server's: said
// before any server is asked.
void CheckLocalFolder(const std::string& local) {
    if (local == kStandardOutput) return;
    const fs::path folder = fs::path(local).parent_path();
    std::error_code error;
    if (!folder.empty() && !fs::is_directory(folder, error))
        throw CommandFailure("Unable to write " + local + ": there is no folder " + folder.string());
}

// The whole file first, so that a failed transfer prints nothing.
void DownloadToStandardOutput(dbServerConnection& db, const std::string& failure,
                              const std::function<bool(const std::string&)>& download) {
    std::string path = (fs::temp_directory_path() / "dalvero-cli-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) throw CommandFailure("Unable to make a temporary file in " + fs::temp_directory_path().string());
    ::close(fd);
    const bool received = download(path);
    // Copied by hand: streaming an empty file's buffer would mark the
    // output as failed.
    std::ifstream in(path, std::ios::binary);
    char buffer[1 << 16];
    while (received && (in.read(buffer, sizeof buffer) || in.gcount() > 0)) std::cout.write(buffer, in.gcount());
    std::error_code error;
    fs::remove(path, error);
    if (!received) FailWithServerError(db, failure);
}

// Receives into a file beside local and only then puts it in local's
// place, so a failed download leaves an existing local file as it was.
void DownloadInto(const std::string& local, dbServerConnection& db, const std::string& failure,
                  const std::function<bool(const std::string&)>& download) {
    if (local == kStandardOutput) return DownloadToStandardOutput(db, failure, download);
    const std::string partial = local + ".download";
    if (!download(partial)) FailWithServerError(db, failure);
    std::error_code error;
    fs::rename(partial, local, error);
    if (error) {
        fs::remove(partial, error);
        throw CommandFailure("Unable to write " + local);
    }
}

int RunGetFile(CliSession& session, const ParsedArgs& args) {
    const std::string& remote = args.positionals[0];
    const std::string& local = args.positionals[1];
    CheckLocalFolder(local);
    dbServerConnection& db = session.DataServer();
    if (db.GetFileInfo(remote) == 0)
        FailWithServerError(db, "No file " + remote + " on the data server", Request::Read, exit_status::kNotFound);
    // The transfer may not bring more than the file info announced.
    const std::int64_t announced = std::max<std::int64_t>(db.FileSize, 0);
    DownloadInto(local, db, "Unable to download " + remote + " to " + local,
                 [&](const std::string& path) { return db.DownloadFile(remote, path, {}, announced); });
    return 0;
}

int RunFileInfo(CliSession& session, const ParsedArgs& args) {
    const std::string& remote = args.positionals[0];
    dbServerConnection& db = session.DataServer();
    const std::int32_t date = db.GetFileInfo(remote);
    if (date == 0)
        FailWithServerError(db, "No file " + remote + " on the data server", Request::Read, exit_status::kNotFound);
    WriteRow(std::cout, {"FileSize", "FileDate"});
    WriteRow(std::cout, {std::to_string(db.FileSize), std::to_string(date)});
    return 0;
}

int RunGetRecordFile(CliSession& session, const ParsedArgs& args) {
    const std::string& table = args.positionals[0];
    const std::string seq = SeqArgument(args.positionals[1]);
    const int slot = WholeNumber(args.positionals[2], "SLOT", 1);
    const std::string& local = args.positionals[3];
    CheckLocalFolder(local);
    dbServerConnection& db = session.DataServer();
    DownloadInto(local, db, "No file in slot " + std::to_string(slot) + " of record " + seq + " in " + table,
                 [&](const std::string& path) { return db.GetRecordFile(table, seq, slot, path); });
    return 0;
}

int RunPutRecordFile(CliSession& session, const ParsedArgs& args) {
    const std::string& table = args.positionals[0];
    const std::string seq = SeqArgument(args.positionals[1]);
    const int slot = WholeNumber(args.positionals[2], "SLOT", 1);
    const std::string& local = args.positionals[3];
    std::error_code error;
    if (!fs::is_regular_file(local, error)) throw CommandFailure("Cannot read " + local);
    dbServerConnection& db = session.DataServer();
    if (!db.PutRecordFile(table, seq, slot, local)) FailWithServerError(db, "Unable to upload " + local, Request::Change);
    return 0;
}

}  // namespace

std::vector<CommandDef> FileCommands() {
    return {
        {"get-file", "REMOTE LOCAL", "download a file of the data server (e.g. Clients\\Dalvero); LOCAL - is stdout",
         2, 2, {}, RunGetFile},
        {"file-info", "REMOTE", "print a data-server file's size and date (seconds since 1970)", 1, 1, {},
         RunFileInfo},
        {"get-record-file", "TABLE SEQ SLOT LOCAL",
         "download the file in a record's slot (1 and up); LOCAL - is stdout", 4, 4, {}, RunGetRecordFile},
        {"put-record-file", "TABLE SEQ SLOT LOCAL", "upload LOCAL into a record's slot, replacing what was there", 4,
         4, {}, RunPutRecordFile},
    };
}

}  // namespace dalvero::cli
