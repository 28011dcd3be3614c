// The drop parser: a text/uri-list comes from whatever program the user drags from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "filelist/UriList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto paths =
        vx::LocalPathsFromUriList(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!paths) return 0;
    // Decoding only shortens: every path is made of bytes of the list.
    std::size_t total = 0;
    for (const auto& p : *paths) total += p.size();
    if (total > size) std::abort();
    return 0;
}
