#pragma once
// What a command that makes a data folder (init, restore) has made so far,
// removed again, newest first, unless the command finished: a folder is
// either complete or not there.

#include <filesystem>
#include <vector>

namespace dalvero::server {

class MadePaths {
public:
    ~MadePaths();

    // Records `path` unless it exists already (then it is not ours to remove).
    void Expect(const std::filesystem::path& path);
    // Makes the directory with `perms` (an existing one is left as it is).
    void Directory(const std::filesystem::path& path,
                   std::filesystem::perms perms = std::filesystem::perms::owner_all |
                                                  std::filesystem::perms::group_read |
                                                  std::filesystem::perms::group_exec |
                                                  std::filesystem::perms::others_read |
                                                  std::filesystem::perms::others_exec);
    // The command finished: everything stays.
    void Keep() { kept_ = true; }

private:
    std::vector<std::filesystem::path> paths_;
    bool kept_ = false;
};

}  // namespace dalvero::server
