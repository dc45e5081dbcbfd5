#pragma once
// Self-update of the client before anyone logs in: when the DataServer keeps
// a newer copy of the executable, download it beside the running one, check
// that it starts (it answers "--version"), swap the two by renaming, start
// the new one and end this process. A copy that does not start never stays
// in the executable's place.

#include <cstdint>
#include <functional>
#include <string>

class QProgressBar;

namespace dalvero {

class dbServerConnection;

class cClientUpdate {
public:
    // Ends this process after the swap (or when the executable is held).
    using EndAction = std::function<void()>;

    // Compares the file date of executablePath with the server copy's
    // remoteName ("Clients\Dalvero"). progressBar may be null.
    cClientUpdate(dbServerConnection& connection, std::string remoteName, std::string localFolder,
                  QProgressBar* progressBar, const std::string& executablePath, EndAction endProgram);

    // Downloads, swaps, restarts and ends the program. Returns only when the
    // download failed or does not match the server copy's size and date, or
    // the new copy does not start (nothing changed; the user is told but of
    // a failed download), or the new file could not take the executable's
    // name or did not start there (the old one is put back, and said).
    void Run();

    dbServerConnection& Connection;
    QProgressBar* ProgressBar;
    std::string LocalFolder;
    std::string RemoteName;
    std::string ExecutableName;  // set by Run
    std::int32_t LocalDate;
    // The server copy's date and size: the download must match both.
    std::int32_t ServerDate = 0;
    std::int64_t ServerSize = 0;
    bool UpdateNeeded = false;

private:
    EndAction endProgram_;
};

}  // namespace dalvero
