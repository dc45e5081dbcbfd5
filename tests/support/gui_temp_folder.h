#pragma once
// A client folder for a test: a temporary folder whose path ends with a
// separator, as ApplicationFolder does, with small file helpers.

#include <filesystem>
#include <string>

#include "temp_dir.h"

namespace dalvero::test {

class TempFolder {
public:
    std::string Path() const { return dir_.Path().string() + "/"; }
    std::string File(const std::string& name) const { return Path() + name; }
    bool Has(const std::string& name) const { return std::filesystem::exists(File(name)); }

    void Write(const std::string& name, const std::string& content) const { WriteAll(File(name), content); }
    std::string Read(const std::string& name) const { return ReadAll(File(name)); }

private:
    TempDir dir_{"dalvero-client"};
};

}  // namespace dalvero::test
