#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "../net/socket_test_util.h"
#include "mail_test_support.h"
#include "mailer.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using namespace dalvero::server::mail;
using namespace mail_test;
using dalvero::test::TempDir;

namespace {

Message SampleMessage() {
    Message m;
    m.to = "intake@sunrise-care.example";
    m.replyTo = "planner@hospital.example";
    m.subject = "Placement request";
    m.body = "Dear provider,\nplease reply.\n";
    return m;
}

// A scripted SMTP relay on a loopback port that records what the client said.
class FakeRelay {
public:
    struct Script {
        bool offerStartTls = false;
        bool offerAuth = false;
        std::string rcptReply = "250 2.1.5 OK";
    };

    explicit FakeRelay(Script script) : script_(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        ::listen(listener_, 1);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeRelay() {
        thread_.join();
        ::close(listener_);
    }
    int port() const { return port_; }
    // Valid once the client's Send has returned.
    std::vector<std::string> commands;
    std::string credentials;  // decoded AUTH PLAIN response
    std::string data;

private:
    void Serve() {
        pollfd wait{listener_, POLLIN, 0};
        if (::poll(&wait, 1, 30'000) != 1) return;
        peer_ = ::accept(listener_, nullptr, nullptr);
        Say("220 relay.example ESMTP");
        std::string line;
        while (ReadLine(line)) {
            commands.push_back(line);
            const std::string verb = line.substr(0, line.find(' '));
            if (verb == "EHLO") {
                if (script_.offerAuth) Say("250-AUTH PLAIN");
                if (script_.offerStartTls) Say("250-STARTTLS");
                Say("250 relay.example");
            } else if (verb == "AUTH") {
                std::string response = line.size() > 11 ? line.substr(11) : "";
                if (response.empty()) {
                    Say("334 ");
                    if (!ReadLine(response)) break;
                }
                credentials = DecodeBase64(response);
                Say("235 2.7.0 Authenticated");
            } else if (verb == "MAIL") {
                Say("250 2.1.0 OK");
            } else if (verb == "RCPT") {
                Say(script_.rcptReply);
            } else if (verb == "DATA") {
                Say("354 Go ahead");
                ReadData();
                Say("250 2.0.0 Queued");
            } else if (verb == "QUIT") {
                Say("221 Bye");
                break;
            } else {
                Say("502 5.5.1 Not implemented");
            }
        }
        ::close(peer_);
    }
    void Say(const std::string& line) {
        const std::string text = line + "\r\n";
        (void)!::write(peer_, text.data(), text.size());
    }
    bool Fill() {
        char chunk[4096];
        const ssize_t n = ::read(peer_, chunk, sizeof chunk);
        if (n <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
    bool ReadLine(std::string& line) {
        std::size_t end;
        while ((end = buffer_.find("\r\n")) == std::string::npos)
            if (!Fill()) return false;
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 2);
        return true;
    }
    void ReadData() {
        std::size_t end;
        while ((end = buffer_.find("\r\n.\r\n")) == std::string::npos)
            if (!Fill()) return;
        data = buffer_.substr(0, end + 2);
        buffer_.erase(0, end + 5);
    }

    Script script_;
    int listener_ = -1;
    int peer_ = -1;
    int port_ = 0;
    std::string buffer_;
    std::thread thread_;
};

Settings RelaySettings(int port) {
    Settings s;
    s.relay = "127.0.0.1";
    s.port = port;
    s.startTls = false;
    s.from = "dalvero@hospital.example";
    return s;
}

}  // namespace

TEST(MailOutbox, WritesEachMessageCompleteWithProperHeaders) {
    TempDir folder("dalvero-mail");
    Settings settings;
    settings.from = "dalvero@hospital.example";
    settings.outbox = folder.Path() / "outbox";
    Mailer mailer(settings);

    ASSERT_EQ(mailer.Send(SampleMessage()), "");
    ASSERT_EQ(mailer.Send(SampleMessage()), "");

    const auto files = FilesIn(settings.outbox);
    ASSERT_EQ(files.size(), 2u) << "one file per message, no temporary left";
    for (const auto& f : files) EXPECT_EQ(f.extension(), ".eml") << f;
    EXPECT_NE(ParseMail(ReadFile(files[0])).Header("Message-ID"), ParseMail(ReadFile(files[1])).Header("Message-ID"));
    const ParsedMail mail = ParseMail(ReadFile(files[0]));
    EXPECT_EQ(mail.Header("From"), "dalvero@hospital.example");
    EXPECT_EQ(mail.Header("To"), "intake@sunrise-care.example");
    EXPECT_EQ(mail.Header("Reply-To"), "planner@hospital.example");
    EXPECT_EQ(mail.Header("Subject"), "Placement request");
    EXPECT_EQ(mail.Header("MIME-Version"), "1.0");
    EXPECT_EQ(mail.Header("Content-Type"), "text/plain; charset=UTF-8");
    EXPECT_EQ(mail.Header("Content-Transfer-Encoding"), "quoted-printable");
    EXPECT_TRUE(std::regex_match(mail.Header("Date"),
                                 std::regex(R"([A-Z][a-z]{2}, \d\d [A-Z][a-z]{2} \d{4} \d\d:\d\d:\d\d \+0000)")))
        << mail.Header("Date");
    EXPECT_TRUE(std::regex_match(mail.Header("Message-ID"), std::regex(R"(<[0-9a-f]{32}@hospital\.example>)")))
        << mail.Header("Message-ID");
    EXPECT_EQ(DecodeQuotedPrintable(mail.body), "Dear provider,\r\nplease reply.\r\n\r\n");
}

TEST(MailOutbox, UnusableOutboxIsReportedNotDropped) {
    TempDir folder("dalvero-mail");
    const fs::path blocker = folder.Path() / "not-a-folder";
    std::ofstream(blocker) << "x";
    Settings settings;
    settings.outbox = blocker / "outbox";
    EXPECT_NE(Mailer(settings).Send(SampleMessage()), "");

    Settings nowhere;
    EXPECT_NE(Mailer(nowhere).Send(SampleMessage()), "");
}

TEST(MailMessage, RejectsHeaderInjectionAndBadAddresses) {
    TempDir folder("dalvero-mail");
    Settings settings;
    settings.outbox = folder.Path();
    Mailer mailer(settings);

    Message m = SampleMessage();
    m.subject = "Hello\r\nBcc: victim@example.com";
    EXPECT_NE(mailer.Send(m), "");
    m = SampleMessage();
    m.subject = "Hello\nX-Evil: 1";
    EXPECT_NE(mailer.Send(m), "");
    for (const char* to : {"a@b.example\r\nBcc: c@d.example", "a@b.example, c@d.example", "no-at-sign", "@b.example",
                           "a b@c.example", "Name <a@b.example>", ""}) {
        m = SampleMessage();
        m.to = to;
        EXPECT_NE(mailer.Send(m), "") << to;
    }
    m = SampleMessage();
    m.replyTo = "x@y.example\nCc: z@w.example";
    EXPECT_NE(mailer.Send(m), "");

    Settings badFrom = settings;
    badFrom.from = "dalvero@localhost\r\nBcc: z@w.example";
    EXPECT_NE(Mailer(badFrom).Send(SampleMessage()), "");

    EXPECT_TRUE(FilesIn(folder.Path()).empty());
}

TEST(MailMessage, EncodesNonAsciiSubjectAndBodyLosslessly) {
    Message m = SampleMessage();
    m.subject = "Entlassung: Patientin Müller – Rückruf erbeten, Überweisung für häusliche Pflege dringend nötig";
    const std::string longLine(200, 'x');
    m.body = "Ménière's disease = 50% \n.leading dot\ntrailing blank \n" + longLine + "\n\tTab";
    const std::string text = ComposeMessage(m, "dalvero@hospital.example", 0);

    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 77u);  // 76 and the CR
        for (unsigned char c : line) EXPECT_LT(c, 0x80);
    }
    const ParsedMail mail = ParseMail(text);
    EXPECT_EQ(mail.Header("Date"), "Thu, 01 Jan 1970 00:00:00 +0000");
    EXPECT_EQ(DecodeHeaderText(mail.Header("Subject")), m.subject);
    EXPECT_EQ(DecodeQuotedPrintable(mail.body),
              "Ménière's disease = 50% \r\n.leading dot\r\ntrailing blank \r\n" + longLine + "\r\n\tTab\r\n");
}

TEST(MailRelay, HandsTheMessageToTheRelayWithCredentials) {
    FakeRelay relay({.offerAuth = true});
    Settings settings = RelaySettings(relay.port());
    settings.user = "mailer";
    settings.password = "s3cret";
    ASSERT_EQ(Mailer(settings).Send(SampleMessage()), "");

    EXPECT_NE(std::find(relay.commands.begin(), relay.commands.end(), "MAIL FROM:<dalvero@hospital.example>"),
              relay.commands.end());
    EXPECT_NE(std::find(relay.commands.begin(), relay.commands.end(), "RCPT TO:<intake@sunrise-care.example>"),
              relay.commands.end());
    EXPECT_EQ(relay.credentials, std::string("\0mailer\0s3cret", 14));
    const ParsedMail mail = ParseMail(relay.data);
    EXPECT_EQ(mail.Header("To"), "intake@sunrise-care.example");
    EXPECT_EQ(DecodeQuotedPrintable(mail.body), "Dear provider,\r\nplease reply.\r\n\r\n");
}

TEST(MailRelay, RefusesToSendInClearWhenStartTlsIsRequired) {
    FakeRelay relay({});
    Settings settings = RelaySettings(relay.port());
    settings.startTls = true;
    EXPECT_NE(Mailer(settings).Send(SampleMessage()), "");
    EXPECT_TRUE(relay.data.empty());
    for (const auto& c : relay.commands) EXPECT_NE(c.rfind("MAIL", 0), 0u) << c;
}

TEST(MailRelay, ReportsRefusedRecipientAndUnreachableRelay) {
    {
        FakeRelay relay({.rcptReply = "550 5.1.1 No such user"});
        const std::string error = Mailer(RelaySettings(relay.port())).Send(SampleMessage());
        EXPECT_NE(error, "");
        EXPECT_TRUE(relay.data.empty());
    }
    EXPECT_NE(Mailer(RelaySettings(dalvero::test::ClosedPort())).Send(SampleMessage()), "");
}
