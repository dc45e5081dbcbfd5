#pragma once
// The client side of a DataServer connection for fuzz targets: reads come
// from the input, writes are kept for the target to look at.

#include <cstddef>
#include <cstring>
#include <string>

#include "channel.h"

namespace dalvero::fuzz {

struct InputChannel : server::Channel {
    std::string bytes;
    std::size_t at = 0;
    std::string written;

    bool Read(void* data, std::size_t n) override {
        if (bytes.size() - at < n) return false;
        std::memcpy(data, bytes.data() + at, n);
        at += n;
        return true;
    }
    bool Write(const void* data, std::size_t n) override {
        written.append(static_cast<const char*>(data), n);
        return true;
    }
};

}  // namespace dalvero::fuzz
