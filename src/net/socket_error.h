#pragma once
// The error a socket operation raises: a fixed text, never formatted, so it
// can be thrown from anywhere without allocating.

#include <exception>

namespace dalvero {

class SocketError : public std::exception {
public:
    explicit SocketError(const char* text) noexcept : text_(text) {}
    const char* what() const noexcept override { return text_; }

private:
    const char* text_;
};

}  // namespace dalvero
