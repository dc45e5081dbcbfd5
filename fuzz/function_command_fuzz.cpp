// One FunctionServer command text through the real command handling and
// store; e-mail goes to the outbox folder, never to a relay. A command that
// opens like an object gets a live session of the demo administrator, so it
// reaches the commands.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "function_server.h"
#include "fuzz_store.h"
#include "mailer.h"

// The demo folder takes longer to make than one input may run.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    dalvero::fuzz::Demo();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dalvero::server;
    dalvero::fuzz::DemoServer& demo = dalvero::fuzz::Demo();
    static const mail::Mailer mailer([&] {
        mail::Settings settings;
        settings.outbox = demo.config.dataDir / "outbox";
        return settings;
    }());
    static FunctionServer server(*demo.storage, mailer, *demo.logins, *demo.trail);
    std::string command(reinterpret_cast<const char*>(data), size);
    if (!command.empty() && command.front() == '{')
        command.insert(1, "Session:" + dalvero::fuzz::LiveSession(demo.administrator) + ",");
    const std::string reply = server.HandleCommand(command, "127.0.0.1");
    if (reply.empty()) __builtin_trap();
    return 0;
}
