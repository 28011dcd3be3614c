#pragma once

#include <string>
#include <string_view>

namespace vx {

// Windows names are UTF-16 and may hold lone surrogates; they travel through the plain layers
// as UTF-8 in which a lone surrogate keeps its own three-byte form, so every name round-trips.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's ANSI code page, which the registry's A functions speak. AnsiFromUtf8 fails
// when a character has no ANSI form: a substituted "?" would name another key.
bool AnsiFromUtf8(std::string_view utf8, std::string& ansi);
std::string Utf8FromAnsi(std::string_view ansi);

// The system's text for an error number (GetLastError or HRESULT), without the line end.
std::string SystemMessage(long number);

}  // namespace vx
