#pragma once
// A scripted fake server for tests of wire behaviour that the real servers
// never show (split, partial or over-long replies, drops, resets) and for
// tests that need a server answering with chosen replies.
//
// It listens on 127.0.0.1 on a free port, plain TCP or TLS, accepts any
// number of connections and plays a script on each in its own thread:
//
//     using namespace dalvero::test;
//     FakePeer peer(PeerScript().ReadFrame().Reply("Seq=12,ErrorCode=0"));
//     auto db = std::make_unique<dbServerConnection>("127.0.0.1", peer.PortText(), "", "", false, 5);
//     ASSERT_TRUE(db->Exchange(20002, 0, "V2,Cases"));
//     db.reset();                         // end the connection...
//     ASSERT_TRUE(peer.WaitFinished(1));  // ...and let its script end
//     EXPECT_EQ(peer.Messages()[0].Text(), "V2,Cases");
//
// Every message the peer reads is logged with its connection's number. When
// a script runs out the peer keeps the connection open until the client
// closes it (or the peer is destroyed), reading and discarding what comes.
// A step that cannot read what it expects (the client closed) ends the
// script and is noted in Problems().

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "frame.h"

namespace dalvero::test {

struct PeerMessage {
    std::size_t connection = 0;  // 0 for the first connection accepted
    bool framed = false;
    frame::Header header;  // for a frame only
    // As read: a frame's payload with its zero byte, a text without its zero
    // byte, sized content without its size word.
    std::string payload;

    // payload up to its first zero byte.
    std::string Text() const;
};

struct PeerLink;

class PeerScript {
public:
    using Maker = std::function<std::string(const PeerMessage&)>;

    // A 12-byte frame header and its payload.
    PeerScript& ReadFrame();
    // Bytes up to and including a zero byte.
    PeerScript& ReadText();
    // A 32-bit little-endian size and that many bytes (an uploaded file).
    PeerScript& ReadSizedContent();
    // Everything until the client closes, logged as one message.
    PeerScript& ReadUntilClosed();
    PeerScript& Send(std::string bytes);
    // text followed by a zero byte: one reply.
    PeerScript& Reply(std::string text);
    // Bytes in pieces of pieceSize with a pause after each, so the client
    // receives them split.
    PeerScript& SendPieces(std::string bytes, std::size_t pieceSize,
                           std::chrono::milliseconds pause = std::chrono::milliseconds(20));
    // Orderly close (TLS close_notify, then FIN).
    PeerScript& Close();
    // Abortive close: the client sees a reset.
    PeerScript& Reset();
    // Until the client closes: read a frame and send make(frame). Make
    // functions may run on several connections' threads at once.
    PeerScript& ServeFrames(Maker make);

private:
    friend class FakePeer;
    using Step = std::function<bool(PeerLink&)>;
    PeerScript& Add(std::string name, Step step);
    std::vector<std::pair<std::string, Step>> steps_;
};

class FakePeer {
public:
    struct Tls {
        std::string certFile;
        std::string keyFile;
    };

    // Every connection plays script.
    explicit FakePeer(PeerScript script, std::optional<Tls> tls = {});
    // Connection n plays scripts[n]; connections beyond them are closed at
    // once.
    explicit FakePeer(std::vector<PeerScript> scripts, std::optional<Tls> tls = {});
    ~FakePeer();
    FakePeer(const FakePeer&) = delete;
    FakePeer& operator=(const FakePeer&) = delete;

    int Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }

    std::vector<PeerMessage> Messages() const;
    std::vector<std::string> Problems() const;
    std::size_t Connections() const;
    // Waits until that many connections were accepted and have ended. The
    // limit only guards against a hung test.
    bool WaitFinished(std::size_t connections, std::chrono::seconds limit = std::chrono::seconds(20));

private:
    friend struct PeerLink;
    void AcceptLoop();
    void Serve(int fd, std::size_t index);
    const PeerScript* ScriptFor(std::size_t index) const;
    void Log(PeerMessage message);
    void Problem(std::string text);

    std::vector<PeerScript> scripts_;
    bool oneScript_ = false;
    void* tlsContext_ = nullptr;  // SSL_CTX*, kept out of the header
    int listenFd_ = -1;
    int port_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    std::size_t accepted_ = 0;
    std::size_t finished_ = 0;
    std::set<int> open_;
    std::vector<PeerMessage> messages_;
    std::vector<std::string> problems_;
    std::vector<std::thread> handlers_;
    std::thread acceptor_;
};

}  // namespace dalvero::test
