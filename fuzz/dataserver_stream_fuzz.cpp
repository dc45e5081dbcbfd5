// One DataServer connection's bytes through the real session and store: the
// first frame is a handshake that resumes a live session of the demo
// administrator (restored for each input, whatever the last one did), so
// later frames reach the request handling; the input is the rest of the
// stream.

#include <cstddef>
#include <cstdint>
#include <string>

#include "data_server_session.h"
#include "frame.h"
#include "fuzz_store.h"
#include "input_channel.h"

using namespace dalvero;

// The demo folder takes longer to make than one input may run.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    dalvero::fuzz::Demo();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::DemoServer& demo = fuzz::Demo();
    const std::string& key = fuzz::LiveSession(demo.administrator);
    server::DataServerSession session(*demo.storage, *demo.logins, *demo.trail, demo.config.dataDir, "127.0.0.1");
    fuzz::InputChannel channel;
    channel.bytes = *frame::Encode(frame::cmd::kHandshake, 0, "Key=" + key + ",ProgramID=Dalvero");
    channel.bytes.append(reinterpret_cast<const char*>(data), size);
    while (session.ServeNext(channel)) {
    }
    return 0;
}
