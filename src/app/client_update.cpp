#include "client_update.h"

#include <QApplication>
#include <QProcess>
#include <QProgressBar>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>

#include "db_server_connection.h"
#include "dialog_seam.h"
#include "file_age.h"
#include "platform_utils.h"
#include "startup.h"

namespace dalvero {

namespace fs = std::filesystem;

namespace {
void Remove(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

bool Rename(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::rename(from, to, error);
    return !error;
}

// The remote name's last part, whichever separator the server uses.
std::string FileNamePart(const std::string& remoteName) {
    const std::size_t slash = remoteName.find_last_of("\\/");
    return slash == std::string::npos ? remoteName : remoteName.substr(slash + 1);
}

// A copy that cannot start would leave the user without a client: it must
// be an executable of this platform that runs and answers "--version".
bool Starts(const std::string& program) {
    constexpr int kAnswerWithinMs = 15000;
    QProcess process;
    process.start(QString::fromStdString(program), {"--version"});
    if (!process.waitForFinished(kAnswerWithinMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
           process.readAllStandardOutput().startsWith(kVersionLineStart);
}

void MakeExecutable(const std::string& file, fs::perms like) {
    std::error_code ignored;
    fs::permissions(file, like | fs::perms::owner_exec, fs::perm_options::replace, ignored);
}

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
}  // namespace

cClientUpdate::cClientUpdate(dbServerConnection& connection, std::string remoteName, std::string localFolder,
                             QProgressBar* progressBar, const std::string& executablePath, EndAction endProgram)
    : Connection(connection),
      ProgressBar(progressBar),
      LocalFolder(std::move(localFolder)),
      RemoteName(std::move(remoteName)),
      LocalDate(FileAge(executablePath)),
      endProgram_(std::move(endProgram)) {
    ServerDate = Connection.GetFileInfo(RemoteName);
    ServerSize = Connection.FileSize;
    UpdateNeeded = ServerDate != 0 && LocalDate < ServerDate;
}

void cClientUpdate::Run() {
    if (ProgressBar) ProgressBar->show();
    auto busy = std::make_unique<BusyCursor>();
    QApplication::processEvents();

    ExecutableName = FileNamePart(RemoteName);
    const std::string base = fs::path(ExecutableName).stem().string();
    const std::string executable = LocalFolder + ExecutableName;
    const std::string download = LocalFolder + base + ".tmp";
    const std::string backup = LocalFolder + base + ".bak";

    Remove(download);
    const ProgressFn progress = [bar = ProgressBar](long long done, long long total) {
        if (!bar) return;
        bar->setRange(0, static_cast<int>(std::min<long long>(total, INT_MAX)));
        bar->setValue(static_cast<int>(std::min<long long>(done, INT_MAX)));
    };
    if (!Connection.DownloadFile(RemoteName, download, progress)) {
        if (ProgressBar) ProgressBar->hide();
        return;
    }
    // A file that is not the one announced (cut short, mixed with another
    // reply) must never replace a working executable.
    std::error_code sizeError;
    const auto size = fs::file_size(download, sizeError);
    if (sizeError || static_cast<std::int64_t>(size) != ServerSize || FileAge(download) != ServerDate) {
        Remove(download);
        if (ProgressBar) ProgressBar->hide();
        busy.reset();
        ShowMessageBox(nullptr,
                       "The new version was not received intact, so this version goes on running.\n"
                       "Restart the program to try the update again.",
                       "Update failed");
        return;
    }

    // The download arrives as a plain file; it must run as the old one does.
    std::error_code ignored;
    fs::perms running = fs::status(executable, ignored).permissions();
    if (running == fs::perms::unknown) running = fs::perms::owner_read | fs::perms::owner_write;
    MakeExecutable(download, running);
    if (!Starts(download)) {
        Remove(download);
        if (ProgressBar) ProgressBar->hide();
        busy.reset();
        ShowMessageBox(nullptr,
                       "The new version received from the server does not start on this computer, so this version "
                       "goes on running.\nPlease tell your administrator.",
                       "Update failed");
        return;
    }

    Remove(backup);
    if (!Rename(executable, backup)) {
        busy.reset();
        ShowMessageBox(nullptr,
                       "I need to update this application but another copy is still running.\n"
                       "Close any others that are running and restart, and this application will be updated.",
                       "Another copy of this application is runnng.");
        endProgram_();
        return;
    }
    if (!Rename(download, executable)) {
        // Without this the next start would find no executable at all.
        Rename(backup, executable);
        busy.reset();
        ShowMessageBox(nullptr,
                       "Unable to complete update.  You will need to manually\nrename " + download + " to " +
                           executable + "\nAfter that you can restart this program.",
                       "Program rename error");
        return;
    }
    MakeExecutable(executable, running);
    if (!Starts(executable)) {
        // The swap itself spoiled it: the old program goes back in its place.
        Remove(executable);
        Rename(backup, executable);
        if (ProgressBar) ProgressBar->hide();
        busy.reset();
        ShowMessageBox(nullptr,
                       "The new version could not be started, so this version was put back and goes on running.\n"
                       "Please tell your administrator.",
                       "Update failed");
        return;
    }

    if (ProgressBar) ProgressBar->hide();
    RunProgram(executable, "");
    endProgram_();
}

}  // namespace dalvero
