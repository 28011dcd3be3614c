#pragma once

// What the operating system provides, one small interface per service.
// main() fills a Platform with the real implementations, tests with fakes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/PlatformError.h"

namespace vx {

// File attribute bits, named as the folder walk uses them.
enum Attribute : unsigned {
    AttrReadOnly = 1,
    AttrHidden = 2,
    AttrSystem = 4,
    AttrDirectory = 16,
    AttrArchive = 32,
};

struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
};

struct DirEntry {
    std::string name;
    unsigned attributes = 0;
    FileId id;  // meaningful for folders
};

struct Listing {
    bool ok = true;
    int error = 0;  // errno-style number when !ok
    std::vector<DirEntry> entries;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual char separator() const = 0;
    // Last modification time in seconds; throws PlatformError when the path cannot be read.
    virtual std::int64_t modificationTime(const std::string& path) = 0;
    // The entries of a folder whose hidden, system and directory bits lie within mask,
    // sorted by name so a tree always lists the same way. "." and "..", special files
    // (FIFOs, sockets, devices) and entries whose attributes cannot be read are left out.
    virtual Listing listFolder(const std::string& folder, unsigned mask) = 0;
    // The identity of a folder, so a walk can tell a folder it has already seen.
    virtual std::optional<FileId> folderId(const std::string& folder) = 0;
};

// Read-only view of HKEY_CLASSES_ROOT.
class Registry {
  public:
    virtual ~Registry() = default;
    // The default (unnamed) string value of a key, as stored; nullopt when the key or
    // its value cannot be read.
    virtual std::optional<std::string> defaultValue(const std::string& subKey) = 0;
};

class Printers {
  public:
    virtual ~Printers() = default;
    // The user's default printer; throws PlatformError when there is none or it cannot be read.
    virtual std::string defaultPrinter() = 0;
    // Makes the named printer the user's default; the empty name removes the user's own
    // choice. Throws PlatformError when no such printer exists or it cannot be set.
    virtual void setDefaultPrinter(const std::string& name) = 0;
    // The user's own default setting in the form setDefaultPrinter takes back: a printer
    // name, or the empty text when the user has none and the system's default applies.
    // Throws PlatformError when it cannot be read.
    virtual std::string ownDefault() { return defaultPrinter(); }
    // Puts back a setting ownDefault() gave, as it was, also for a printer that cannot be
    // reached now. Throws PlatformError when it cannot be written.
    virtual void restoreOwnDefault(const std::string& setting) { setDefaultPrinter(setting); }
};

// One small text kept durably in the user's state folder: the printer setting a run
// borrowed, so that a run killed before it put the setting back is undone at next start.
class StateRecord {
  public:
    virtual ~StateRecord() = default;
    // The recorded text; nullopt when there is no record (an unreadable one counts as none).
    virtual std::optional<std::string> read() = 0;
    // Replaces the record as a whole, durably; throws PlatformError when it cannot.
    virtual void write(const std::string& text) = 0;
    // Removes the record; throws PlatformError when it stays.
    virtual void remove() = 0;
    // Holds the record for this process until letGo() or its end, so that another copy of
    // the program does not take a run still going for one that did not finish. False when
    // another process holds it; throws PlatformError when it cannot be held at all.
    virtual bool claim() = 0;
    virtual void letGo() = 0;
};

// A program to start and its arguments. text() is the single command line that the
// Windows form of the launcher hands to the OS.
struct CommandLine {
    std::string program;
    std::vector<std::string> args;
    std::string text;
};

class Launcher {
  public:
    virtual ~Launcher() = default;
    // Starts the program without waiting for it; throws PlatformError when it cannot start.
    virtual void start(const CommandLine& command) = 0;
    virtual void openUrl(const std::string& url) = 0;
};

enum class BoxIcon { None, Critical, Warning };

struct OpenDialogSettings {
    std::string fileName;
    unsigned flags = 0;
    std::string title;
    std::string filter;  // "Description|pattern|Description|pattern"
};

struct Point {
    int x = 0;
    int y = 0;
};
struct Size {
    int width = 0;
    int height = 0;
};

class Ui {
  public:
    virtual ~Ui() = default;
    virtual void messageBox(const std::string& text, BoxIcon icon, const std::string& caption) = 0;
    // The dialog result: one path, or the folder and the names separated by NUL; empty on cancel.
    virtual std::string openFileDialog(const OpenDialogSettings& settings) = 0;
    // The chosen folder's path, empty on cancel.
    virtual std::string browseForFolder(const std::string& prompt) = 0;
    // Lets waiting window events run; commands re-read the list afterwards.
    virtual void yield() = 0;
    // Pointer position on the screen, logical pixels.
    virtual Point cursorPos() = 0;
    // Size of the whole primary screen, logical pixels.
    virtual Size screenSize() = 0;
    // Ends the program at once.
    virtual void terminate() = 0;
};

struct Platform {
    FileSystem* fileSystem = nullptr;
    Registry* registry = nullptr;
    Printers* printers = nullptr;
    Launcher* launcher = nullptr;
    Ui* ui = nullptr;
    std::string programFolder;
    std::string homePage;
    // Uniform in [0, 1), seeded once per start.
    std::function<double()> random;
    // Where a run records the printer setting it borrowed; none keeps nothing durably.
    StateRecord* stateRecord = nullptr;
    // The running program's own folder, where our word processor is found when the registry
    // names none (Windows: ExecutableFolder()); empty: no such fallback.
    std::string executableFolder = {};
};

}  // namespace vx
