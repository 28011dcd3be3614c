#include "app/window/FormLogic.h"

#include "filelist/AddFolder.h"
#include "filelist/AddPicked.h"

namespace vx {

FormLogic::FormLogic(Platform& platform, FormView& view)
    : platform_(platform), view_(view), conversions_(platform.stateRecord) {}

void FormLogic::setPointer(int setting) {
    pointer_ = setting;
    view_.showPointer(setting);
}

std::optional<std::string> FormLogic::startUp() {
    const std::string hand = programFile("HAND-M.CUR");
    const bool present = FileExists(*platform_.fileSystem, hand);
    OpenHomePageByChance(platform_.random ? platform_.random() : 0.5, platform_.homePage,
                         *platform_.launcher);
    if (!present) return std::nullopt;
    return hand;
}

TwipPoint FormLogic::centre(Size outer) const {
    return CenteredPosition(platform_.ui->screenSize(), outer);
}

std::string FormLogic::programFile(const char* name) const {
    return platform_.programFolder + platform_.fileSystem->separator() + name;
}

void FormLogic::run(Command command) {
    auto pointer = [this](int setting) { setPointer(setting); };
    switch (command) {
        case Command::AddPickedFiles:
            AddPickedFiles(list_, *platform_.ui, platform_.fileSystem->separator());
            break;
        case Command::AddFolderFiles:
            AddFolderFiles(list_, *platform_.fileSystem, *platform_.ui, pointer);
            break;
        case Command::RunConversion:
            RunConversion(ConversionContext{list_, *platform_.printers, *platform_.registry,
                                            *platform_.launcher, *platform_.ui, conversions_,
                                            pointer, platform_.executableFolder,
                                            platform_.fileSystem->separator()});
            break;
    }
}

void FormLogic::buttonMoved() {
    if (pointer_ != kPointerHourglass) setPointer(kPointerHand);
}

void FormLogic::backgroundMoved() {
    if (pointer_ != kPointerHourglass) setPointer(kPointerDefault);
}

void FormLogic::listDoubleClicked() {
    try {
        const auto selected = list_.selected();
        if (!selected) return;
        if (const auto position = list_.position(*selected)) list_.remove(*position);
    } catch (...) {
        // A failed removal leaves the list as it was; the double-click just has no effect.
    }
}

void FormLogic::listItemClicked(std::size_t position) {
    list_.select(position);  // the list selects what is clicked, as list controls do
    view_.setListPicturePointer(programFile("drag.ico"));
    ReorderItemClick(drag_, list_);
}

void FormLogic::listPressed() {
    ReorderMouseDown(drag_);
}

void FormLogic::listMoved(std::optional<std::size_t> target) {
    backgroundMoved();
    if (!drag_.DragActive) return;
    const auto show =
        ReorderMouseMove(drag_, list_, target, [this] { return platform_.ui->cursorPos().y; });
    if (show) view_.ensureVisible(*show);
}

void FormLogic::listReleased() {
    ReorderMouseUp(drag_);
    view_.setListArrowPointer();
}

void FormLogic::filesDropped(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) list_.append(p);
}

void FormLogic::ending() {
    conversions_.restoreOnExit(*platform_.printers);
}

}  // namespace vx
