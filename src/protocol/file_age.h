#pragma once
// A file's packed date on this platform: its modification time in whole
// seconds since the Unix epoch, so a later file has a larger age. The
// DataServer sends and stores file dates in this form.

#include <cstdint>
#include <string>

namespace dalvero {

// 0 when there is no such file.
std::int32_t FileAge(const std::string& path);
// Sets the modification time; false when the file cannot be touched.
bool SetFileAge(const std::string& path, std::int32_t age);

}  // namespace dalvero
