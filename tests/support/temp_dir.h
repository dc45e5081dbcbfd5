#pragma once
// A fresh folder of its own under the system's temporary folder, removed with
// everything in it when the object goes, and whole files read and written.
//
//     dalvero::test::TempDir dir("dalvero-ini");
//     const auto file = dir.Path() / "server.ini";
//     dalvero::test::WriteAll(file, "[Security]\n");

#include <filesystem>
#include <string>

namespace dalvero::test {

class TempDir {
public:
    // The folder is named prefix plus a unique suffix; throws when it cannot
    // be made.
    explicit TempDir(const std::string& prefix = "dalvero-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Hands the folder to the caller, who removes it; Path() is empty after.
    std::filesystem::path Release();

private:
    std::filesystem::path path_;
};

// The file's bytes; empty when it cannot be read.
std::string ReadAll(const std::filesystem::path& file);
// Replaces the file with these bytes.
void WriteAll(const std::filesystem::path& file, const std::string& content);

}  // namespace dalvero::test
