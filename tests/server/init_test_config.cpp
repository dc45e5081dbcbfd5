#include <gtest/gtest.h>

#include <fstream>

#include "init_test_support.h"
#include "server_config.h"

namespace dalvero::server::test {
namespace {

namespace fs = std::filesystem;

class ServerConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = TempPath("config");
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Write(const std::string& text) { std::ofstream(dir_ / "server.ini") << text; }

    fs::path dir_;
};

TEST_F(ServerConfigTest, MissingKeysTakeTheDefaultsAndTheDefaultFileReadsAsThem) {
    Write("[Mail]\nRelay=smtp.example.org\nStartTLS=n\n[FunctionServer]\nBind=\n");
    ServerConfig config = LoadServerConfig(dir_);
    EXPECT_EQ(config.functionServer.bind, "127.0.0.1") << "an empty address is loopback";
    // Relative paths hang off the data folder, wherever the server was started.
    EXPECT_EQ(config.dataDir, fs::absolute(dir_).lexically_normal());
    EXPECT_EQ(config.dataServer.bind, "127.0.0.1");
    EXPECT_EQ(config.functionServer.port, 8701);
    EXPECT_EQ(config.keyFile, config.dataDir / "tls" / "server.key");
    EXPECT_EQ(config.databaseFile, config.dataDir / "dalvero.db");
    EXPECT_EQ(config.mail.relay, "smtp.example.org");
    EXPECT_FALSE(config.mail.startTls);
    EXPECT_EQ(config.mail.outboxDir, config.dataDir / "outbox");
    EXPECT_EQ(config.security.passwordIterations, 600'000);  // production keeps the recommended count

    ASSERT_TRUE(DefaultServerIni().SaveToFile((dir_ / "server.ini").string()));
    config = LoadServerConfig(dir_);
    EXPECT_EQ(config.dataServer.port, 8700);
    EXPECT_TRUE(config.mail.startTls);
    EXPECT_TRUE(config.mail.relay.empty());
}

TEST_F(ServerConfigTest, PathsAndPortsAsWritten) {
    Write("[DataServer]\nBind=0.0.0.0\nPort=0\n[functionserver]\nport=65535\n[TLS]\nCertificate=/etc/dalvero/cert.pem\n"
          "Key=keys/../keys/server.key\n[Database]\nFile=db/main.db\n[Mail]\nUser=mailer\nPassword=\" p w \"\n"
          "[Connections]\nMaxConnections=9000\nIdleHours=1\n[RecordFiles]\nPerRecordMB=2\n[Security]\nLockSeconds=2\n");
    ServerConfig config = LoadServerConfig(dir_);
    EXPECT_EQ(config.connections.maxConnections, 9000);
    EXPECT_EQ(config.security.lockSeconds, 2);
    EXPECT_EQ(config.connections.idleSeconds, 3600);
    EXPECT_EQ(config.connections.handshakeSeconds, 5) << "missing keys keep their defaults";
    EXPECT_EQ(config.recordFiles.perRecordBytes, 2u << 20);
    EXPECT_EQ(config.recordFiles.totalBytes, 4096ull << 20);
    EXPECT_EQ(config.dataServer.bind, "0.0.0.0");
    EXPECT_EQ(config.dataServer.port, 0);
    EXPECT_EQ(config.functionServer.port, 65535);
    EXPECT_EQ(config.certificateFile, "/etc/dalvero/cert.pem");
    EXPECT_EQ(config.keyFile, config.dataDir / "keys" / "server.key");
    EXPECT_EQ(config.databaseFile, config.dataDir / "db" / "main.db");
    EXPECT_EQ(config.mail.user, "mailer");
    EXPECT_EQ(config.mail.password, " p w ");
}

TEST_F(ServerConfigTest, UnusableValuesAreNamed) {
    auto message = [&](const std::string& text) {
        Write(text);
        try {
            LoadServerConfig(dir_);
        } catch (const ConfigError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(message("[DataServer]\nPort=87o0\n").find("[DataServer] Port: not a port number: '87o0'"), std::string::npos);
    EXPECT_NE(message("[FunctionServer]\nPort=70000\n").find("[FunctionServer] Port"), std::string::npos);
    EXPECT_NE(message("[Mail]\nPort=-1\n").find("[Mail] Port"), std::string::npos);
    EXPECT_NE(message("[Mail]\nStartTLS=maybe\n").find("[Mail] StartTLS: expected Y or N"), std::string::npos);
    // A hash count below the floor would make every stored password cheap to guess.
    EXPECT_NE(message("[Security]\nPasswordIterations=10\n").find("[Security] PasswordIterations"), std::string::npos);
    EXPECT_NE(message("[Database]\nFile=\n").find("[Database] File: a path is needed"), std::string::npos);
    EXPECT_NE(message("[Connections]\nHandshakeSeconds=0\n").find("[Connections] HandshakeSeconds: expected a whole number"),
              std::string::npos);
    EXPECT_NE(message("[RecordFiles]\nTotalMB=lots\n").find("[RecordFiles] TotalMB"), std::string::npos);

    fs::remove(dir_ / "server.ini");
    EXPECT_THROW(LoadServerConfig(dir_), ConfigError);
}

}  // namespace
}  // namespace dalvero::server::test
