// Writing a backup; folder_restore.cpp reads one back.

#include "folder_backup.h"

#include <fcntl.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "audit_anchor.h"
#include "data_folder_lock.h"
#include "sqlite_backup.h"
#include "sqlite_storage.h"
#include "tar_archive.h"

namespace fs = std::filesystem;

namespace dalvero::server {

namespace {

constexpr unsigned kPrivate = 0600;

// The archive and what it is made from wait under names of their own beside
// FILE, and go however the backup ends.
struct Staging {
    fs::path archive;
    fs::path database;
    fs::path anchors;

    explicit Staging(const fs::path& file)
        : archive(file.string() + ".partial"),
          database(file.string() + ".db.partial"),
          anchors(file.string() + ".anchors.partial") {
        Clear();  // what a backup that was killed left
    }
    ~Staging() { Clear(); }
    void Clear() const {
        std::error_code ignored;
        for (const fs::path& path : {archive, database, fs::path(database.string() + "-journal"),
                                     fs::path(database.string() + "-wal"), fs::path(database.string() + "-shm"), anchors})
            fs::remove(path, ignored);
    }
};

bool Inside(const fs::path& path, const fs::path& dir) {
    const fs::path relative = path.lexically_relative(dir);
    return !relative.empty() && *relative.begin() != "..";
}

// The lines of the anchor file that are whole: the server may be appending
// one just now.
std::string WholeAnchorLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    return all.substr(0, all.rfind('\n') + 1);
}

void WritePrivateFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
}

// Folder entries the archive does not take from the folder itself: those it
// holds in a form of its own (the settings, the database copy, the anchors),
// the live database's files, the lock and the audit key.
std::set<std::string> LeftOut(const ServerConfig& config) {
    const fs::path& dir = config.dataDir;
    std::set<std::string> names{kSettingsMember, kLockFileName,
                                AuditAnchorFile(config).lexically_relative(dir).generic_string(),
                                AuditKeyFile(config).lexically_relative(dir).generic_string()};
    for (const fs::path& database : {config.databaseFile, dir / kDatabaseMember})
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            names.insert(fs::path(database.string() + suffix).lexically_relative(dir).generic_string());
    return names;
}

void SyncFolderOf(const fs::path& file) {
    const int fd = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

BackupResult WriteBackup(const ServerConfig& config, const fs::path& target) {
    const fs::path file = fs::absolute(target).lexically_normal();
    const fs::path& dir = config.dataDir;
    if (Inside(file, dir))
        throw std::runtime_error(file.string() + " lies inside " + dir.string() +
                                 ", and would be lost with it; write the backup elsewhere");
    if (!fs::is_regular_file(config.databaseFile)) throw std::runtime_error("no database " + config.databaseFile.string());
    Staging staging(file);
    {
        SqliteStorage live(config.databaseFile.string());
        AppendAudit(live, ConsoleOperator(""), {{audit_action::kBackup, "", 0, "", "to " + file.string()}},
                    std::time(nullptr));
    }
    // Anchors read before the snapshot name rows the snapshot holds; read
    // after it, they could name rows it lacks, and the restore would report
    // the trail cut.
    const std::string anchors = WholeAnchorLines(AuditAnchorFile(config));
    CopySqliteDatabase(config.databaseFile.string(), staging.database.string());
    BackupResult result;
    {
        SqliteStorage copy(staging.database.string());
        result.newestAudit = NewestAuditRow(copy);
    }
    WritePrivateFile(staging.anchors, anchors);
    if (fs::exists(AuditKeyFile(config))) {
        AuditAnchor(AuditKeyFile(config), staging.anchors).Append(result.newestAudit.seq, result.newestAudit.hash);
        result.anchored = true;
    }

    TarWriter archive(staging.archive);
    archive.AddFile(kSettingsMember, dir / kSettingsMember, kPrivate);
    archive.AddFile(kDatabaseMember, staging.database, kPrivate);
    archive.AddFile(AuditAnchorFile(config).filename().string(), staging.anchors, kPrivate);
    const std::set<std::string> leftOut = LeftOut(config);
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().lexically_relative(dir).generic_string();
        const unsigned mode = static_cast<unsigned>(it->status().permissions()) & 0777;
        if (leftOut.count(name)) continue;
        // A link to a folder is not followed: it may lead anywhere.
        if (it->is_directory() && !it->is_symlink()) archive.AddDirectory(name, mode);
        else if (it->is_regular_file()) archive.AddFile(name, it->path(), mode);
    }
    archive.Finish();
    fs::rename(staging.archive, file);
    SyncFolderOf(file);
    result.bytes = fs::file_size(file);
    return result;
}

}  // namespace dalvero::server
