#pragma once
// Passwords typed or kept by an operator, for the tools that take them: never
// from the command line, where `ps` and the shell history would show them.
// Failures throw std::runtime_error with a text for the operator.

#include <string>

namespace dalvero {

// The first line of path ("-": standard input), without its line end. A file
// that other local users may read is refused, as psql refuses such a .pgpass:
// the password in it is no longer the operator's alone.
std::string ReadSecretFile(const std::string& path);

// Asks on the terminal itself (not stdin or stdout, so piped data stays
// clean) with echo off. Throws when there is no terminal.
std::string PromptSecret(const std::string& prompt);

}  // namespace dalvero
