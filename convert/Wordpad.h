#pragma once

#include <string>

#include "platform/Services.h"

namespace vx {

inline constexpr const char* kWordpadServerKey =
    "Wordpad.Document.1\\Protocol\\StdFileEditing\\Server";

// Our own word processor, shipped beside the program.
#ifdef _WIN32
inline constexpr const char* kOwnWordProcessor = "textprint.exe";
#else
inline constexpr const char* kOwnWordProcessor = "textprint";
#endif

// The word processor's command path as the registry stores it, or the empty text.
std::string GetWordpadPath(Registry& registry);

// The command path a run starts: the registry's when it names one, else our own word
// processor in `programFolder` (quoted, as the command is split like a command line), else
// the empty text when no folder is known.
std::string WordProcessorPath(Registry& registry, const std::string& programFolder, char separator);

}  // namespace vx
