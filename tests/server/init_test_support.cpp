#include "init_test_support.h"

#include "temp_dir.h"

namespace dalvero::server::test {

namespace fs = std::filesystem;

fs::path ReferenceDir() { return DALVERO_DATA_DIR; }

fs::path TempPath(const std::string& name) {
    // One folder for the whole program, so whatever a test leaves behind goes
    // with it at exit.
    static dalvero::test::TempDir root("dalvero-init");
    fs::path path = root.Path() / name;
    fs::remove_all(path);
    return path;
}

namespace {

struct Owner {
    DemoFolder folder;
    Owner() {
        folder.dir = TempPath("demo");
        InitOptions options;
        options.demo = true;
        options.referenceDir = ReferenceDir();
        options.today = CivilDate{2024, 6, 11};
        folder.result = InitDataFolder(folder.dir, options);
        folder.storage = std::make_unique<SqliteStorage>(folder.result.config.databaseFile.string());
    }
    ~Owner() {
        folder.storage.reset();
        std::error_code ignored;
        fs::remove_all(folder.dir, ignored);
    }
};

}  // namespace

DemoFolder& SharedDemoFolder() {
    static Owner owner;
    return owner.folder;
}

}  // namespace dalvero::server::test
