#pragma once
// The data layer knows no GUI; the client plugs in how a message box is shown
// and how pending window events are serviced during long transfers.

#include <functional>
#include <string>

namespace dalvero {

struct UiHooks {
    // text, caption; unset means the message is only written to stderr.
    std::function<void(const std::string&, const std::string&)> showMessage;
    std::function<void()> processEvents;
};

void SetUiHooks(UiHooks hooks);
void ShowMessage(const std::string& text, const std::string& caption);
void ProcessEvents();

// The server ended the log-in's session (idle too long, or the longest a
// log-in may last): called inside the request it refused, so the hook only
// arranges for the user to log in again once the request is over.
void SetSessionEndedHook(std::function<void()> hook);
void SessionEnded();

// Progress of a file transfer: bytes done of total, called after each piece.
using ProgressFn = std::function<void(long long done, long long total)>;

}  // namespace dalvero
