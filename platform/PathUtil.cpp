#include "platform/PathUtil.h"

namespace vx {

std::string WithTrailingSeparator(std::string_view folder, char separator) {
    std::string out(folder);
    if (out.empty() || out.back() != separator) out.push_back(separator);
    return out;
}

std::string JoinPath(std::string_view folder, std::string_view name, char separator) {
    std::string out = WithTrailingSeparator(folder, separator);
    out.append(name);
    return out;
}

std::string UnquotedProgram(const std::string& program) {
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
        return program.substr(1, program.size() - 2);
    return program;
}

}  // namespace vx
