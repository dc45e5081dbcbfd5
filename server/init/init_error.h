#pragma once

#include <stdexcept>

namespace dalvero::server {

// Why a data folder could not be made; the text names the file or step.
class InitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace dalvero::server
