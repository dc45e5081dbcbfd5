#include "made_paths.h"

namespace fs = std::filesystem;

namespace dalvero::server {

MadePaths::~MadePaths() {
    if (kept_) return;
    std::error_code ignored;
    for (auto it = paths_.rbegin(); it != paths_.rend(); ++it) fs::remove_all(*it, ignored);
}

void MadePaths::Expect(const fs::path& path) {
    if (!fs::exists(path)) paths_.push_back(path);
}

void MadePaths::Directory(const fs::path& path, fs::perms perms) {
    if (fs::exists(path)) return;
    paths_.push_back(path);
    fs::create_directories(path);
    fs::permissions(path, perms);
}

}  // namespace dalvero::server
