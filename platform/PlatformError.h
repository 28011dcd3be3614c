#pragma once

#include <stdexcept>
#include <string>

namespace vx {

// The one failure type that crosses the platform layer: a number as the
// OS reports it and a description a user can read.
class PlatformError : public std::runtime_error {
  public:
    PlatformError(long number, const std::string& description)
        : std::runtime_error(description), number_(number), description_(description) {}

    long number() const { return number_; }
    const std::string& description() const { return description_; }

  private:
    long number_;
    std::string description_;
};

}  // namespace vx
