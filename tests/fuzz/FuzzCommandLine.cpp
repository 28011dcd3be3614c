// The command-line split: the stored command comes from a hive the user may write.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/CommandLineSplit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto args = vx::SplitCommandLine(line);
    // Quotes and escapes only take bytes away.
    std::size_t total = 0;
    for (const auto& a : args) total += a.size();
    if (total > size) std::abort();
    return 0;
}
