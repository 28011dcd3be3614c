// The text decoder: textprint reads any file the user adds, in any of its encodings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "textprint/TextDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the encoding and where the stream is cut in two.
    const auto encoding = static_cast<vx::Encoding>(data[0] % 6);
    ++data;
    --size;
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    std::u32string whole, pieces;
    vx::TextDecoder one(encoding);
    one.feed(data, size, whole);
    one.finish(whole);
    vx::TextDecoder two(encoding);
    two.feed(data, cut, pieces);
    two.feed(data + cut, size - cut, pieces);
    two.finish(pieces);
    // A unit split between two reads decodes as if it came in one.
    if (whole != pieces) std::abort();
    for (const char32_t c : whole)
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) std::abort();

    vx::Utf8Check check;
    check.feed(data, cut);
    check.feed(data + cut, size - cut);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (check.ok() != vx::IsValidUtf8(bytes)) std::abort();
    (void)vx::DetectEncoding(data, size, check.ok());
    if (!vx::IsValidUtf8(vx::DisplayName(bytes))) std::abort();
    return 0;
}
