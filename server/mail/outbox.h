#pragma once
// The outbox: finished messages as .eml files. A file appears under its final
// name only when complete, so a collector never reads half a message.

#include <filesystem>
#include <string>
#include <string_view>

namespace dalvero::server::mail {

// Writes text to a new .eml file in folder (made when missing). Empty on
// success, else why it failed; nothing is left behind on failure.
std::string WriteToOutbox(const std::filesystem::path& folder, std::string_view text);

}  // namespace dalvero::server::mail
