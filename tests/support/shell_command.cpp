#include "shell_command.h"

#include <sys/wait.h>

#include <cstdio>

namespace dalvero::test {

namespace {

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace

ShellResult RunShell(const std::string& command) {
    ShellResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string PdfText(const std::filesystem::path& pdf) { return RunShell("pdftotext -layout " + Quoted(pdf) + " -").out; }

ShellResult ValidateFhir(const std::vector<std::filesystem::path>& files) {
    std::string command = "node " DALVERO_FHIR_VALIDATE " 2>&1";
    for (const auto& file : files) command += " " + Quoted(file);
    return RunShell(command);
}

}  // namespace dalvero::test
