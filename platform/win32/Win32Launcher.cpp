#include "platform/win32/Win32Launcher.h"

#include <windows.h>

#include "platform/PathUtil.h"
#include "platform/win32/WideText.h"

namespace vx {

namespace {

bool IsFile(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The stored word-processor value as it was, before the run put " /p "entry"" after it: the
// split took an unquoted path with spaces apart, but it may still name one file.
std::string StoredProgram(const CommandLine& command) {
    if (command.args.empty()) return command.program;
    const std::string tail = " /p \"" + command.args.back() + "\"";
    const std::string& text = command.text;
    if (text.size() <= tail.size() || text.compare(text.size() - tail.size(), tail.size(), tail))
        return command.program;
    return UnquotedProgram(text.substr(0, text.size() - tail.size()));
}

}  // namespace

void Win32Launcher::start(const CommandLine& command) {
    std::string program = StoredProgram(command);
    if (program.empty() || !IsFile(Widen(program))) program = UnquotedProgram(command.program);
    if (program.empty()) throw PlatformError(ERROR_FILE_NOT_FOUND, "No program is set to start.");
    std::wstring line = Widen(command.text);
    // A program path that names a file is run as that file: with spaces in it and no quotes,
    // CreateProcessW would otherwise try "C:\Program" and the like first.
    const std::wstring file = Widen(program);
    const bool exact = IsFile(file);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exact ? file.c_str() : nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        const auto e = static_cast<long>(GetLastError());
        throw PlatformError(e, "\"" + program + "\" could not be started: " + SystemMessage(e));
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void Win32Launcher::openUrl(const std::string& url) {
    start(CommandLine{"explorer", {url}, "explorer \"" + url + "\""});
}

}  // namespace vx
