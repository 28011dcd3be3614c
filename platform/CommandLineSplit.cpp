#include "platform/CommandLineSplit.h"

namespace vx {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    if (line.empty()) return out;

    std::string program;
    if (line[0] == '"') {
        for (i = 1; i < line.size() && line[i] != '"'; ++i) program.push_back(line[i]);
        if (i < line.size()) ++i;
    } else {
        for (; i < line.size() && !IsBlank(line[i]); ++i) program.push_back(line[i]);
    }
    out.push_back(std::move(program));

    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return out;

    std::string arg;
    int quotes = 0;  // 1 inside a quoted part
    std::size_t backslashes = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (IsBlank(c) && quotes == 0) {
            arg.append(backslashes, '\\');
            backslashes = 0;
            out.push_back(std::move(arg));
            arg.clear();
            while (i + 1 < line.size() && IsBlank(line[i + 1])) ++i;
        } else if (c == '\\') {
            ++backslashes;
        } else if (c == '"') {
            arg.append(backslashes / 2, '\\');
            if (backslashes % 2 == 1) {
                arg.push_back('"');
            } else {
                ++quotes;
            }
            backslashes = 0;
            // A run of quotes: every third one is a literal quote.
            while (i + 1 < line.size() && line[i + 1] == '"') {
                ++i;
                if (++quotes == 3) {
                    arg.push_back('"');
                    quotes = 0;
                }
            }
            if (quotes == 2) quotes = 0;
        } else {
            arg.append(backslashes, '\\');
            backslashes = 0;
            arg.push_back(c);
        }
    }
    arg.append(backslashes, '\\');
    // A trailing blank ends the last argument without starting another.
    if (!arg.empty() || !IsBlank(line.back())) out.push_back(std::move(arg));
    return out;
}

}  // namespace vx
