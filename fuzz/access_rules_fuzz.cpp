// The access rules under a planner's requests: a discharge planner of the
// demo hospital sends the input, as a FunctionServer command when it opens
// like an object and as a DataServer stream otherwise, against a store that
// also holds a rival hospital. Whatever the input asks, no reply may carry
// the secret only the rival's case, need and patient hold; one that does is
// a crash.

#include <cstddef>
#include <cstdint>
#include <string>

#include "data_server_session.h"
#include "frame.h"
#include "function_server.h"
#include "fuzz_store.h"
#include "input_channel.h"
#include "mailer.h"

using namespace dalvero;

// The demo folder takes longer to make than one input may run.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Demo();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::DemoServer& demo = fuzz::Demo();
    static const server::mail::Mailer mailer([&] {
        server::mail::Settings settings;
        settings.outbox = demo.config.dataDir / "outbox";
        return settings;
    }());
    static server::FunctionServer functions(*demo.storage, mailer, *demo.logins, *demo.trail);
    const std::string& key = fuzz::LiveSession(demo.planner);
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string replies;
    if (!input.empty() && input.front() == '{') {
        replies = functions.HandleCommand(input.insert(1, "Session:" + key + ","), "127.0.0.1");
    } else {
        server::DataServerSession session(*demo.storage, *demo.logins, *demo.trail, demo.config.dataDir, "127.0.0.1");
        fuzz::InputChannel channel;
        channel.bytes = *frame::Encode(frame::cmd::kHandshake, 0, "Key=" + key + ",ProgramID=Dalvero") + input;
        while (session.ServeNext(channel)) {
        }
        replies = std::move(channel.written);
    }
    if (fuzz::ShowsRivalSecret(replies)) __builtin_trap();
    return 0;
}
