#include "fuzz_store.h"

#include <unistd.h>

#include <string>

#include "init_data_folder.h"

namespace dalvero::fuzz {

const server::ServerConfig& DemoFolder() {
    static const server::ServerConfig config = [] {
        const auto dir = std::filesystem::temp_directory_path() / ("dalvero-fuzz-" + std::to_string(getpid()));
        std::filesystem::remove_all(dir);
        server::InitOptions options;
        options.demo = true;
        options.referenceDir = DALVERO_SOURCE_DATA_DIR;
        const server::ServerConfig made = server::InitDataFolder(dir, options).config;
        // The folder outlives the process only if it crashes, for the record.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(
                std::filesystem::temp_directory_path() / ("dalvero-fuzz-" + std::to_string(getpid())), ignored);
        });
        return made;
    }();
    return config;
}

}  // namespace dalvero::fuzz
