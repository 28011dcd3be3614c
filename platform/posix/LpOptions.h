#pragma once

#include <string>
#include <string_view>

namespace vx {

// The user's own CUPS settings file (lpoptions): "Dest NAME[/INSTANCE] options" lines, one of
// which may be "Default ..." instead. Edited as text so that every other line stays as it was.
namespace lpoptions {

// The destination the file makes the default, "queue" or "queue/instance"; empty when none.
std::string DefaultOf(std::string_view text);

// The text with dest as the default, or with no default when dest is empty. The old default's
// options stay as a Dest line; a line that would then say nothing is dropped.
std::string WithDefault(std::string_view text, const std::string& dest);

}  // namespace lpoptions
}  // namespace vx
