// The lpoptions reader and editor: the user's own file, written by any CUPS client.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/posix/LpOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)vx::lpoptions::DefaultOf(text);
    // Whatever the file held, what we write says what we meant.
    for (const char* name : {"PDF_Printer", "Office/draft", ""})
        if (vx::lpoptions::DefaultOf(vx::lpoptions::WithDefault(text, name)) != name) std::abort();
    return 0;
}
