#pragma once
// A fake server that answers each request with the next scripted reply, and
// a plain connection to it. Requests() shows exactly what the client sent.

#include <string>
#include <vector>

#include "db_server_connection.h"
#include "fake_peer.h"

namespace dalvero::test {

// What the fake does in place of one reply.
inline constexpr char kDropConnection[] = "<drop>";

class ScriptedServer {
public:
    // framed: DataServer requests (12-byte header); otherwise zero-terminated
    // FunctionServer texts. A reply kDropConnection closes the connection
    // after reading the request.
    explicit ScriptedServer(const std::vector<std::string>& replies, bool framed = true)
        : peer(MakeScript(replies, framed)), db("127.0.0.1", peer.PortText(), "", "", false, kGuardSeconds) {}

    std::vector<PeerMessage> Requests() const { return peer.Messages(); }
    std::string LastRequestText() const {
        const auto messages = peer.Messages();
        return messages.empty() ? std::string() : messages.back().Text();
    }

    FakePeer peer;
    dbServerConnection db;

private:
    // Only keeps a broken test from hanging; no reply is expected to be slow.
    static constexpr int kGuardSeconds = 20;

    static PeerScript MakeScript(const std::vector<std::string>& replies, bool framed) {
        PeerScript script;
        for (const std::string& reply : replies) {
            if (framed) script.ReadFrame();
            else script.ReadText();
            if (reply == kDropConnection) script.Close();
            else script.Reply(reply);
        }
        return script;
    }
};

}  // namespace dalvero::test
