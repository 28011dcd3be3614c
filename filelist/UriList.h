#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The local paths of a text/uri-list, byte for byte (percent escapes decoded, so a name
// that is not valid UTF-8 survives). nullopt when the list holds anything but local files.
std::optional<std::vector<std::string>> LocalPathsFromUriList(std::string_view uriList);

}  // namespace vx
