#pragma once
// A demo data folder made once for the init tests that only read it.

#include <filesystem>
#include <memory>

#include "init_data_folder.h"
#include "sqlite_storage.h"

namespace dalvero::server::test {

std::filesystem::path ReferenceDir();
// A fresh, not yet existing path in a temporary folder removed at exit.
std::filesystem::path TempPath(const std::string& name);

struct DemoFolder {
    std::filesystem::path dir;
    InitResult result;
    std::unique_ptr<SqliteStorage> storage;  // opened after the init
};

// Made at the first call (demo, host localhost, today 11 June 2024) and
// removed when the test program ends.
DemoFolder& SharedDemoFolder();

}  // namespace dalvero::server::test
