#include "cli_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace dalvero::test {

namespace {

// The output files are opened before the fork; the child only redirects
// and execs, which is all a child of a threaded process may safely do.
int OpenOutput(const fs::path& path) { return ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600); }

}  // namespace

void WriteIni(const std::filesystem::path& folder, int dataPort, const std::string& caFile, int functionPort,
              const std::string& functionCaFile) {
    WriteFile(folder / "Dalvero.ini",
              "[DataServer]\nIP=127.0.0.1\nPort=" + std::to_string(dataPort) + "\nCAFile=" + caFile +
                  "\n[FunctionServer]\nIP=127.0.0.1\nPort=" + std::to_string(functionPort) + "\n" +
                  (functionCaFile.empty() ? std::string() : "CAFile=" + functionCaFile + "\n"));
}

void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    // Owner-only, as the tool wants of a password file.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
}

unsigned FileMode(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The tool also looks for a Dalvero.ini beside itself, and the build folder
// may hold one (scripts/run.sh puts it there); a private copy of the tool
// sees only what a test gives it.
const std::string& CliCopy() {
    static TempDir folder("dalvero-cli-bin");
    static const std::string path = [] {
        const fs::path copy = folder.Path() / "dalvero-cli";
        fs::copy_file(DALVERO_CLI_PATH, copy);
        return copy.string();
    }();
    return path;
}

CliResult RunCli(const fs::path& workDir, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment, const std::string& input) {
    TempDir capture("dalvero-cli-capture");
    const fs::path outPath = capture.Path() / "out";
    const fs::path errPath = capture.Path() / "err";
    const fs::path inPath = capture.Path() / "in";
    WriteFile(inPath, input);
    const int out = OpenOutput(outPath);
    const int err = OpenOutput(errPath);
    const int in = ::open(inPath.c_str(), O_RDONLY | O_CLOEXEC);
    std::vector<std::string> argvText{CliCopy()};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvText) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText{"PATH=/usr/bin:/bin", "HOME=" + workDir.string()};
    if (fs::exists(workDir / "Dalvero.ini")) envText.push_back("DALVERO_INI=" + (workDir / "Dalvero.ini").string());
    for (const std::string& entry : environment) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        std::erase_if(envText, [&](const std::string& earlier) { return earlier.starts_with(name); });
        envText.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : envText) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const std::string dir = workDir.string();

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in);
    ::close(out);
    ::close(err);
    CliResult result;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

Rows ParseRows(const std::string& out) {
    Rows rows;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> row;
        std::size_t from = 0;
        for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
            row.push_back(line.substr(from, tab - from));
        row.push_back(line.substr(from));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::size_t Column(const Rows& rows, const std::string& name) {
    if (rows.empty()) {
        ADD_FAILURE() << "no header line";
        return 0;
    }
    for (std::size_t i = 0; i < rows[0].size(); ++i)
        if (rows[0][i] == name) return i;
    ADD_FAILURE() << "no column " << name;
    return 0;
}

std::string CliServerTest::Ok(const std::vector<std::string>& args) const {
    const CliResult result = Run(args);
    EXPECT_EQ(result.exitCode, 0) << args.front() << ": " << result.err;
    EXPECT_EQ(result.err, "");
    return result.out;
}

std::string CliServerTest::Fails(const std::vector<std::string>& args, int exitCode) const {
    const CliResult result = Run(args);
    std::string line;
    for (const std::string& arg : args) line += arg + " ";
    EXPECT_EQ(result.exitCode, exitCode) << line << result.err;
    EXPECT_EQ(result.out, "") << line;
    return result.err;
}

std::string CliServerTest::HospitalSeq() const {
    const Rows rows = ParseRows(Ok({"find", "Personnel", "4", server.Logins().at(0).email}));
    EXPECT_EQ(rows.size(), 2u);
    return rows.size() == 2 ? rows[1][Column(rows, "f9")] : std::string();
}

}  // namespace dalvero::test
