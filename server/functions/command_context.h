#pragma once
// What every FunctionServer command works with, and how it fails.

#include <ctime>
#include <functional>
#include <stdexcept>

#include "mail_gate.h"
#include "principal.h"
#include "storage.h"

namespace dalvero::server::functions {

// A command that cannot do what was asked; the text is shown to the planner
// as the reply's "Error".
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Seconds since the Unix epoch; tests pin it.
using Clock = std::function<std::time_t()>;

// storage is the store as the person behind the command sees it.
struct CommandContext {
    Storage& storage;
    const MailGate& mailer;
    Clock clock;
    const Principal& who;
};

}  // namespace dalvero::server::functions
