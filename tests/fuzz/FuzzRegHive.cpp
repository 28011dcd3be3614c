// The .reg hive reader: files in the user's config folder are theirs to write.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/RegHive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vx::RegHive hive =
        vx::RegHive::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)hive.value("txtfile\\shell\\print\\command", "");
    (void)hive.value("Applications\\wordpad.exe\\shell\\open\\command", "");
    (void)hive.value("", "x");
    return 0;
}
