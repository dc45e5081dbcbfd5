#pragma once
// Runs the built dalvero-cli as a child process and gives back what it
// printed, plus the helpers the command tests share: a fixture with a real
// demo server and a Dalvero.ini for it, and tab-separated output read back
// into rows.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "real_server.h"
#include "temp_dir.h"

namespace dalvero::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs dalvero-cli with args in workDir, input on its standard input,
// HOME=workDir. The tool never reads the working folder's Dalvero.ini by
// itself: when workDir holds one, DALVERO_INI names it. environment:
// NAME=value entries that replace these.
CliResult RunCli(const std::filesystem::path& workDir, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {}, const std::string& input = {});

// Written readable by its owner only.
void WriteFile(const std::filesystem::path& path, const std::string& content);
// folder/Dalvero.ini naming servers on loopback (a closed port for one the
// test does not reach).
// Without functionCaFile the FunctionServer's authority is the DataServer's.
void WriteIni(const std::filesystem::path& folder, int dataPort, const std::string& caFile, int functionPort,
              const std::string& functionCaFile = {});
std::string ReadFile(const std::filesystem::path& path);
// The permission bits of the file; 0 when it is missing.
unsigned FileMode(const std::filesystem::path& path);

// Output lines split at tabs; the header is row 0.
using Rows = std::vector<std::vector<std::string>>;
Rows ParseRows(const std::string& out);
// Column of name in the header row; fails the test when it is missing.
std::size_t Column(const Rows& rows, const std::string& name);

// A demo server and a working folder holding a Dalvero.ini for it and a
// file with the demo administrator's password.
class CliServerTest : public ::testing::Test {
protected:
    CliServerTest() : server(RealServer::Demo) {
        server.WriteClientIni(work.Path());
        WriteFile(PasswordFile(), server.DemoUser("Administrator").password + "\n");
    }

    std::string PasswordFile() const { return (work.Path() / "password").string(); }
    // args after the options that log in as the demo administrator.
    std::vector<std::string> LoggedIn(const std::vector<std::string>& args) const {
        std::vector<std::string> all{"--user", server.DemoUser("Administrator").email, "--password-file",
                                     PasswordFile()};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
    // Runs logged in as the demo administrator.
    CliResult Run(const std::vector<std::string>& args) const { return RunCli(work.Path(), LoggedIn(args)); }
    // Runs a command that must succeed and returns its output.
    std::string Ok(const std::vector<std::string>& args) const;
    // Runs a command that must end with exitCode and print nothing, and
    // returns what it wrote on standard error.
    std::string Fails(const std::vector<std::string>& args, int exitCode) const;
    // The demo hospital's Seq, from the first log-in's Personnel record.
    std::string HospitalSeq() const;

    RealServer server;
    TempDir work{"dalvero-cli-test"};
};

}  // namespace dalvero::test
