#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

// Registry keys and string values read from the text format that regedit exports
// ("Windows Registry Editor Version 5.00", [key] sections, @="value" / "name"="value").
// Key paths compare without regard to ASCII letter case, as in the registry.
class RegHive {
  public:
    // Parses UTF-8 text (a BOM is allowed) or UTF-16 LE text with its BOM. Lines that are
    // not understood, and values that are not strings, are passed over.
    static RegHive Parse(std::string_view bytes);

    // Name "" is the key's default value.
    std::optional<std::string> value(std::string_view keyPath, std::string_view name) const;

  private:
    static std::string Fold(std::string_view s);
    // folded key path -> (folded value name -> value)
    std::map<std::string, std::map<std::string, std::string>> keys_;
};

}  // namespace vx
