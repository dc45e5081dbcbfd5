#pragma once
// Runs a shell command from a test and gives back its standard output and
// exit status, for the outside tools that check what the product wrote:
// pdftotext for PDF text, the FHIR validator for Bundles.

#include <filesystem>
#include <string>
#include <vector>

namespace dalvero::test {

struct ShellResult {
    int exitCode = -1;
    std::string out;
};

ShellResult RunShell(const std::string& command);

// The text of a PDF file as pdftotext lays it out.
std::string PdfText(const std::filesystem::path& pdf);

// scripts/fhir-validate.js on the files: exit 0 when each is valid FHIR R4;
// out names each file with "valid" or "invalid" and lists the errors.
ShellResult ValidateFhir(const std::vector<std::filesystem::path>& files);

}  // namespace dalvero::test
