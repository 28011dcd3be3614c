#pragma once

#include <cstddef>
#include <string>

namespace vx {

// Whether a document looks whole: it starts with "%PDF-" and its last bytes (up to the last
// kPdfTailBytes of it) hold "%%EOF". A job cut off in transfer fails this.
constexpr std::size_t kPdfTailBytes = 1024;
bool PdfLooksComplete(const std::string& head, const std::string& tail);

// The document's own title (its Info /Title) as UTF-8, "" when it has none. A literal or hex
// string; UTF-16 with its byte-order mark is converted, bytes that do not convert become "_".
// Of several, the last wins, as a later update of the file replaces an earlier one.
std::string PdfTitle(const std::string& bytes);

}  // namespace vx
