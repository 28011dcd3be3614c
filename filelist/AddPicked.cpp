#include "filelist/AddPicked.h"

#include "platform/PathUtil.h"

namespace vx {

std::vector<std::string> SplitDialogResult(std::string_view result, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t nul = result.find('\0');
        parts.push_back(result.substr(0, nul));
        if (nul == std::string_view::npos) break;
        result.remove_prefix(nul + 1);
    }
    // A result may end in NUL (some dialogs close the list that way): no empty name.
    while (parts.size() > 1 && parts.back().empty()) parts.pop_back();
    if (parts.size() == 1) {
        if (parts.front().empty()) return {};
        return {std::string(parts.front())};
    }
    std::vector<std::string> paths;
    paths.reserve(parts.size() - 1);
    for (std::size_t i = 1; i < parts.size(); ++i)
        paths.push_back(JoinPath(parts.front(), parts[i], separator));
    return paths;
}

OpenDialogSettings AddFilesDialogSettings() {
    return OpenDialogSettings{"", 0x280201,
                              "Add File(s) - Use Ctrl & Shift to select multiple files",
                              "All Files (*.*)|*.*|Text Files (*.txt)|*.txt"};
}

void AddPickedFiles(FileList& list, Ui& ui, char separator) {
    const std::string result = ui.openFileDialog(AddFilesDialogSettings());
    for (std::string& path : SplitDialogResult(result, separator)) list.append(std::move(path));
}

}  // namespace vx
