// A server that lies, talks without end or stops talking: every command ends,
// bounded, and nothing the server sends can drive the terminal.

#include <array>

#include "../net/socket_test_util.h"
#include "cli_runner.h"
#include "fake_peer.h"
#include "test_pki.h"

namespace fs = std::filesystem;

namespace dalvero::test {
namespace {

constexpr char kEsc[] = "\x1b";

std::string Zeroed(std::string text) {
    text.push_back('\0');
    return text;
}

// Answers every request with a lie of its kind.
std::string Lie(const PeerMessage& request) {
    switch (request.header.command) {
    case frame::cmd::kHandshake: return Zeroed("Date=45000,Accepted=Y");
    // The same page with the same marks, for ever, a value with a
    // clear-screen sequence in it: 7-bit, 8-bit (a lone CSI byte), as UTF-8
    // and as an overlong UTF-8 form; the accented letter is no control.
    case frame::cmd::kQuery:
        return Zeroed("\"2,2\",\"1,0,7,\"\"Ann\x1b[2J\x9b" "2J\xc2\x9b" "2J\xe0\x82\x9b" "2J\xc3\xa9\"\"\",100");
    case frame::cmd::kRecord: return Zeroed("\"Error=\x1b]0;owned\x07\x9d" "0;x\",ErrorCode=3");
    case frame::cmd::kFile:
        if (request.header.subCommand == frame::sub::kFileInfo) return Zeroed("FileSize=10,FileDate=1700000000");
        {
            // Far more than the file info announced.
            const std::uint32_t size = 200'000;
            std::array<std::uint8_t, 8> head{};
            frame::PutUint32(head.data(), size);
            frame::PutUint32(head.data() + 4, 1'700'000'000);
            return std::string(head.begin(), head.end()) + std::string(size, 'x') + Zeroed("OK");
        }
    default: return Zeroed("\"Error=unexpected\",ErrorCode=6");
    }
}

TEST(CliHostileServer, LyingDataServerIsBoundedAndEscaped) {
    TestPki pki;
    FakePeer peer(PeerScript().ServeFrames(Lie), FakePeer::Tls{pki.certFile, pki.keyFile});
    TempDir work;
    WriteIni(work.Path(), peer.Port(), pki.caFile, ClosedPort());

    const CliResult query = RunCli(work.Path(), {"query", "Cases", "L4", "--fields", "f10"});
    EXPECT_EQ(query.exitCode, 1);
    EXPECT_EQ(query.err, "The data server repeated a page mark; the list walk stopped\n");
    const Rows rows = ParseRows(query.out);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{
                           "7", "Ann\\x1b[2J\\x9b2J\\u009b2J\\xe0\\x82\\x9b2J\xc3\xa9"}));
    EXPECT_EQ(query.out.find(kEsc), std::string::npos);

    const CliResult read = RunCli(work.Path(), {"read", "Cases", "7"});
    EXPECT_EQ(read.exitCode, 1);
    EXPECT_EQ(read.err, "\\x1b]0;owned\\x07\\x9d0;x\n");

    const CliResult download = RunCli(work.Path(), {"get-file", "Clients\\Dalvero", "copy.bin"});
    EXPECT_EQ(download.exitCode, 1);
    EXPECT_FALSE(fs::exists(work.Path() / "copy.bin"));
    EXPECT_FALSE(fs::exists(work.Path() / "copy.bin.download"));
}

TEST(CliHostileServer, EndlessOrSilentServersEndTheCommand) {
    TempDir work;
    TestPki pki;
    // A reply that never ends: refused once it passes the limit.
    FakePeer endless(PeerScript().ReadText().Send(std::string(3u << 20, 'x')), FakePeer::Tls{pki.certFile, pki.keyFile});
    WriteIni(work.Path(), ClosedPort(), pki.caFile, endless.Port());
    CliResult result = RunCli(work.Path(), {"--max-reply", "1", "call", "getcasestatus", "SeqList=1"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Reply larger than the limit\n");
    EXPECT_EQ(result.out, "");

    // A server that accepts and never finishes the TLS handshake.
    FakePeer silent(PeerScript().ReadUntilClosed());
    WriteIni(work.Path(), silent.Port(), "", ClosedPort());
    result = RunCli(work.Path(), {"--timeout", "1", "read", "Cases", "7"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Unable to connect to data server\n");
}

}  // namespace
}  // namespace dalvero::test
