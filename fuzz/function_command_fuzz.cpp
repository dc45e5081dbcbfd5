// One FunctionServer command text through the real command handling and
// store; e-mail goes to the outbox folder, never to a relay.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "function_server.h"
#include "fuzz_store.h"
#include "mailer.h"
#include "sqlite_storage.h"

// The demo folder takes longer to make than one input may run.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    dalvero::fuzz::DemoFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dalvero::server;
    const ServerConfig& folder = dalvero::fuzz::DemoFolder();
    static SqliteStorage storage(folder.databaseFile.string());
    static const mail::Mailer mailer([&] {
        mail::Settings settings;
        settings.outbox = folder.dataDir / "outbox";
        return settings;
    }());
    static FunctionServer server(storage, mailer);
    const std::string reply = server.HandleCommand(std::string_view(reinterpret_cast<const char*>(data), size));
    if (reply.empty()) __builtin_trap();
    return 0;
}
