#include "secret_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string_view>

namespace dalvero {

namespace {

std::string FirstLine(std::istream& in) {
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

std::string ReadSecretFile(const std::string& path) {
    if (path == "-") return FirstLine(std::cin);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw std::runtime_error("Unable to read " + path);
    if (S_ISREG(info.st_mode) && (info.st_mode & (S_IRWXG | S_IRWXO)))
        throw std::runtime_error("Password file " + path + " may be read by other users; allow only its owner (chmod 600)");
    std::ifstream in(path);
    if (!in) throw std::runtime_error("Unable to read " + path);
    return FirstLine(in);
}

std::string PromptSecret(const std::string& prompt) {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) throw std::runtime_error("No terminal to ask for the password: use --password-file");
    termios saved{};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    auto say = [tty](std::string_view text) { return ::write(tty, text.data(), text.size()) >= 0; };
    say(prompt);
    std::string secret;
    for (char c; ::read(tty, &c, 1) == 1 && c != '\n';) secret += c;
    if (isTerminal) ::tcsetattr(tty, TCSAFLUSH, &saved);
    say("\n");
    ::close(tty);
    return secret;
}

}  // namespace dalvero
