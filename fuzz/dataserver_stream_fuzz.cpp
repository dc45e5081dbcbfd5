// One DataServer connection's bytes through the real session and store: the
// first frame is a handshake that resumes the demo administrator's session,
// so later frames reach the request handling; the input is the rest of the
// stream.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "data_server_session.h"
#include "frame.h"
#include "fuzz_store.h"

namespace {

using namespace dalvero;

// The client side of the stream: reads come from the input, writes go
// nowhere.
struct InputChannel : server::Channel {
    std::string bytes;
    std::size_t at = 0;
    bool Read(void* data, std::size_t n) override {
        if (bytes.size() - at < n) return false;
        std::memcpy(data, bytes.data() + at, n);
        at += n;
        return true;
    }
    bool Write(const void*, std::size_t) override { return true; }
};

}  // namespace

// The demo folder takes longer to make than one input may run.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    dalvero::fuzz::Demo();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::DemoServer& demo = fuzz::Demo();
    server::DataServerSession session(*demo.storage, *demo.logins, *demo.trail, demo.config.dataDir, "127.0.0.1");
    InputChannel channel;
    channel.bytes = *frame::Encode(frame::cmd::kHandshake, 0, "Key=" + demo.session + ",ProgramID=Dalvero");
    channel.bytes.append(reinterpret_cast<const char*>(data), size);
    while (session.ServeNext(channel)) {
    }
    return 0;
}
