#include "system/PrivateCups.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/Command.h"

namespace vx::test {

namespace fs = std::filesystem;

namespace {

// The system's filters and backends, plus the PDF Printer backend as just built. A backend
// that is root's and not group- or world-writable is one cupsd will run as root.
void MakeServerBin(const std::string& bin) {
    const fs::path system = "/usr/lib/cups";
    std::error_code ec;
    fs::create_directories(bin + "/backend");
    fs::create_directories(bin + "/filter");
    for (const auto& e : fs::directory_iterator(system, ec)) {
        if (e.path().filename() == "backend" || e.path().filename() == "filter") continue;
        fs::create_directory_symlink(e.path(), bin + "/" + e.path().filename().string(), ec);
    }
    for (const char* kind : {"backend", "filter"})
        for (const auto& e : fs::directory_iterator(system / kind, ec))
            fs::create_symlink(e.path(), bin + "/" + kind + "/" + e.path().filename().string(), ec);
    // The queue's text filter, as printer-setup.sh installs it.
    fs::copy_file(VELLUMAX_TEXTPRINT, bin + "/filter/vellumax-textprint", ec);
    const std::string ours = bin + "/backend/vellumax-pdf";
    fs::copy_file(VELLUMAX_PDF_BACKEND, ours, ec);
    ::chmod(ours.c_str(), ::geteuid() == 0 ? 0700 : 0755);
}

}  // namespace

PrivateCups::PrivateCups() {
    std::string tmpl = (fs::temp_directory_path() / "vellumax-cups-XXXXXX").string();
    folder_ = ::mkdtemp(tmpl.data());
    ::chmod(folder_.c_str(), 0755);  // filters run as lp and read the PPDs here
    for (const char* d : {"spool/tmp", "cache", "state", "log", "home", "ppd"})
        fs::create_directories(folder_ + "/" + d);
    ::chmod((folder_ + "/spool/tmp").c_str(), 01777);
    std::ofstream(folder_ + "/cupsd.conf")
        << "LogLevel warn\n"
        << "Listen " << folder_ << "/cups.sock\n"
        << "Browsing Off\nWebInterface No\nDefaultAuthType Basic\n"
        << "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        << "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
        << "  </Limit>\n</Policy>\n";
    std::ofstream(folder_ + "/cups-files.conf")
        << "ServerRoot " << folder_ << "\nRequestRoot " << folder_ << "/spool\nCacheDir " << folder_
        << "/cache\nStateDir " << folder_ << "/state\nTempDir " << folder_ << "/spool/tmp\n"
        << "AccessLog " << folder_ << "/log/access_log\nErrorLog " << folder_ << "/log/error_log\n"
        << "PageLog " << folder_ << "/log/page_log\nPrintcap " << folder_ << "/printcap\n"
        << "FileDevice Yes\nSystemGroup root\nServerBin " << folder_ << "/serverbin\n"
        << "PassEnv LSAN_OPTIONS ASAN_OPTIONS\n";  // sanitized filters read their suppressions
    MakeServerBin(folder_ + "/serverbin");
    std::ofstream(folder_ + "/client.conf") << "ServerName " << folder_ << "/cups.sock\n";

    ::setenv("CUPS_SERVER", (folder_ + "/cups.sock").c_str(), 1);
    ::setenv("CUPS_SERVERROOT", folder_.c_str(), 1);
    ::setenv("HOME", (folder_ + "/home").c_str(), 1);
    for (const char* v : {"PRINTER", "LPDEST"}) ::unsetenv(v);

    const std::string conf = folder_ + "/cupsd.conf";
    const std::string files = folder_ + "/cups-files.conf";
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 200 && pid_ > 0 && !ready_; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ready_ = run("lpstat -r 2>/dev/null | grep -q \"is running\"") == 0;
    }
}

PrivateCups::~PrivateCups() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

std::string PrivateCups::log() const {
    return RunCommand("cat '" + folder_ + "/log/error_log'").out;
}

int PrivateCups::run(const std::string& command) const {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void PrivateCups::addPdfPrinter() const {
    run("'" VELLUMAX_PDF_QUEUE "' add '" VELLUMAX_PDF_PPD "' >/dev/null");
    // Tests that run as root print as root: the admin's opt-in.
    if (::geteuid() == 0) run("lpadmin -p PDF_Printer -v 'vellumax-pdf:/?system-accounts=yes'");
}

bool PrivateCups::addCupsPdfPrinter(const std::string& name) const {
    return run("lpadmin -p " + name + " -v cups-pdf:/ " +
               "-P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E 2>/dev/null") == 0;
}

void PrivateCups::addNullPrinter(const std::string& name) const {
    run("lpadmin -p " + name + " -D '" + name +
        " printer' -v file:///dev/null -m raw -E 2>/dev/null");
}

std::string PdfFolder() {
    const passwd* pw = ::getpwuid(::getuid());
    return pw == nullptr ? std::string() : std::string(pw->pw_dir) + "/PDF";
}

std::vector<std::string> PdfsWithMarker(const std::string& marker) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(PdfFolder(), ec)) {
        const std::string name = e.path().filename().string();
        if (name.find(marker) != std::string::npos && e.path().extension() == ".pdf")
            out.push_back(e.path().string());
    }
    return out;
}

std::string PdfText(const std::string& pdf, bool layout) {
    return RunCommand(std::string("pdftotext ") + (layout ? "-layout '" : "'") + pdf +
                      "' - 2>/dev/null")
        .out;
}

}  // namespace vx::test
