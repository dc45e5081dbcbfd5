#include "platform_utils.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dalvero {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The path exec would run for `name`: itself when it holds a "/", else the
// first executable of that name on PATH; empty when there is none.
std::string ResolveExecutable(const std::string& name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

// Blanks separate words; double quotes group blanks into a word and are dropped.
std::vector<std::string> SplitParameters(const std::string& parameters) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// Runs argv[0] in a grandchild of its own session, so the caller neither
// waits for it nor leaves a zombie behind. Only async-signal-safe calls
// happen between fork and exec: everything is prepared beforehand.
void SpawnDetached(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    pid_t child = fork();
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            if (devNull >= 0) dup2(devNull, STDIN_FILENO);
            execv(argv[0], argv.data());
        }
        _exit(0);
    }
    if (devNull >= 0) close(devNull);
    if (child > 0) {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

}  // namespace

void RunProgram(const std::string& file, const std::string& parameters) {
    std::vector<std::string> args;
    std::string program = ResolveExecutable(file);
    if (!program.empty()) {
        args.push_back(program);
        for (std::string& word : SplitParameters(parameters)) args.push_back(std::move(word));
    } else {
        std::string opener = ResolveExecutable("xdg-open");
        if (opener.empty() || file.empty()) return;
        args = {opener, file};
    }
    SpawnDetached(args);
}

void* AllocateMemory(std::size_t size, bool zeroed) {
    if (size == 0) return nullptr;
    return zeroed ? std::calloc(1, size) : std::malloc(size);
}

void MemoryFree(void*& block) {
    if (block == nullptr) throw std::logic_error("MemoryFree() -- Called with NULL");
    std::free(block);
    block = nullptr;
}

std::string FormatSortNumber(double value) {
    char digits[400];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::fixed, 2);
    if (error != std::errc()) return {};
    std::string text(digits, end);
    std::size_t point = text.find('.');
    if (point != std::string::npos && point < 9) text.insert(0, 9 - point, '0');
    // -0.001 rounds to zero: no sign on an all-zero result.
    bool negative = std::signbit(value) && text.find_first_not_of("0.") != std::string::npos;
    return negative ? "-" + text : text;
}

}  // namespace dalvero
