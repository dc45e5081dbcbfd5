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

// Progress of a file transfer: bytes done of total, called after each piece.
using ProgressFn = std::function<void(long long done, long long total)>;

}  // namespace dalvero
