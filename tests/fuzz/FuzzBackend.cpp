// The backend's readers of a job's data, title and options, the URI, login.defs and mount tables.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "printing/PdfBackend.h"
#include "printing/PdfContent.h"
#include "textprint/TextDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string tail = bytes.substr(bytes.size() - std::min(bytes.size(), vx::kPdfTailBytes));
    (void)vx::PdfLooksComplete(bytes.substr(0, 5), tail);

    // A title from the document is text, whatever bytes it was made of.
    const std::string title = vx::PdfTitle(bytes);
    if (!vx::IsValidUtf8(title)) std::abort();

    // A name is one file name in the folder: no folder part, not hidden, bounded.
    for (const std::string& t : {bytes, title}) {
        const std::string name = vx::PdfNameForTitle(t, "7");
        if (name.find('/') != std::string::npos || name[0] == '.' || name.size() > 204 ||
            name.compare(name.size() - 4, 4, ".pdf") != 0)
            std::abort();
        (void)vx::NumberedName(name, 2);
    }
    const vx::DeviceUri uri = vx::ParseDeviceUri(bytes);
    if (!uri.folder.empty() && uri.folder.back() == '/') std::abort();
    (void)vx::ParseLoginDefs(bytes);
    // The uuid goes on the PDF as it is: only the characters of one.
    const std::string uuid = vx::JobUuid(bytes);
    if (!uuid.empty() && uuid.find_first_of(" /$'\"\\\n") != std::string::npos) std::abort();
    const std::size_t half = bytes.find('\f');
    if (half != std::string::npos)
        (void)vx::AwaitsMount("/home/ann", bytes.substr(0, half), bytes.substr(half + 1));
    return 0;
}
