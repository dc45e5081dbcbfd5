#include "sqlite_backup.h"

#include <filesystem>

#include "sqlite_connection.h"
#include "storage.h"

namespace dalvero::server {

namespace {

// A slice of 4 MiB at the default page size: progress between slices, and
// no single step that runs for long on a large file.
constexpr int kPagesPerStep = 1024;

// Opening makes a missing file; a wrong path must fail, not yield an empty
// database.
void MustExist(const std::string& path) {
    if (!std::filesystem::is_regular_file(path)) throw StorageError("no database " + path);
}

}  // namespace

void CopySqliteDatabase(const std::string& source, const std::string& target) {
    MustExist(source);
    SqliteConnection from(source);
    from.Execute("PRAGMA query_only=1");
    // The read transaction pins one snapshot for every step. Without it each
    // step would read afresh, and a write by the server between steps would
    // start the copy over, again and again while planners work.
    from.Execute("BEGIN");
    from.Prepare("SELECT count(*) FROM sqlite_schema").Step();
    from.CopyTo(target, kPagesPerStep);
    from.Execute("COMMIT");
}

std::vector<std::string> SqliteIntegrityProblems(const std::string& path) {
    MustExist(path);
    SqliteConnection db(path);
    std::vector<std::string> problems;
    Statement check = db.Prepare("PRAGMA integrity_check");
    while (check.Step())
        if (check.Text(0) != "ok") problems.push_back(check.Text(0));
    return problems;
}

}  // namespace dalvero::server
