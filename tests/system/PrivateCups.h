#pragma once

// A private CUPS server with its own folder, socket and settings: the user's are never touched.

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/Command.h"

namespace vx::test {

class PrivateCups {
  public:
    // Points CUPS_SERVER, CUPS_SERVERROOT and HOME of this process at a fresh folder and
    // starts cupsd there. ok() tells whether it came up.
    PrivateCups() {
        namespace fs = std::filesystem;
        folder_ = (fs::temp_directory_path() / "vellumax-cups-XXXXXX").string();
        if (::mkdtemp(folder_.data()) == nullptr) return;
        ::chmod(folder_.c_str(), 0755);  // filters run as lp and read the PPDs here
        for (const char* d : {"spool/tmp", "cache", "state", "log", "home", "ppd"})
            fs::create_directories(folder_ + "/" + d);
        ::chmod((folder_ + "/spool/tmp").c_str(), 01777);
        std::ofstream(folder_ + "/cupsd.conf")
            << "LogLevel warn\nDirtyCleanInterval 0\nJobRetryInterval 1\nListen " << folder_
            << "/cups.sock\nBrowsing Off\nWebInterface No\n"
            << "DefaultAuthType Basic\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            << "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
        // Run by an ordinary user, cupsd takes admin requests (lpadmin) only from its SystemGroup.
        const group* gr = ::getgrgid(::getegid());
        const std::string systemGroup = ::geteuid() == 0 || gr == nullptr ? "root" : gr->gr_name;
        std::ofstream(folder_ + "/cups-files.conf")
            << "ServerRoot " << folder_ << "\nRequestRoot " << folder_ << "/spool\nCacheDir "
            << folder_ << "/cache\nStateDir " << folder_ << "/state\nTempDir " << folder_
            << "/spool/tmp\n"
            << "AccessLog " << folder_ << "/log/access_log\nErrorLog " << folder_
            << "/log/error_log\n"
            << "PageLog " << folder_ << "/log/page_log\nPrintcap " << folder_ << "/printcap\n"
            << "FileDevice Yes\nSystemGroup " << systemGroup << "\nServerBin " << folder_
            << "/serverbin\n"
            << "PassEnv LSAN_OPTIONS ASAN_OPTIONS\n";  // sanitized filters read their suppressions
        // The system's filters and backends, with this build's; a backend root owns runs as root.
        run("cp -rs /usr/lib/cups/. '" + folder_ + "/serverbin' && cd '" + folder_ +
            "/serverbin' && " +
            "rm -f backend/vellumax-pdf filter/vellumax-textprint && cp '" VELLUMAX_PDF_BACKEND
            "' backend/ && cp '" VELLUMAX_TEXTPRINT "' filter/vellumax-textprint");
        ::chmod((folder_ + "/serverbin/backend/vellumax-pdf").c_str(),
                ::geteuid() == 0 ? 0700 : 0755);
        std::ofstream(folder_ + "/client.conf") << "ServerName " << folder_ << "/cups.sock\n";

        ::setenv("CUPS_SERVER", (folder_ + "/cups.sock").c_str(), 1);
        ::setenv("CUPS_SERVERROOT", folder_.c_str(), 1);
        ::setenv("HOME", (folder_ + "/home").c_str(), 1);
        for (const char* v : {"PRINTER", "LPDEST"}) ::unsetenv(v);
        // An ordinary user's PATH lacks the admin tools (lpadmin, cupsenable) the queue set-up
        // runs.
        const char* path = ::getenv("PATH");
        ::setenv("PATH", (std::string(path ? path : "/usr/bin:/bin") + ":/usr/sbin:/sbin").c_str(),
                 1);

        start();
    }
    ~PrivateCups() {
        stop();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    bool ok() const { return pid_ > 0 && ready_; }
    const std::string& folder() const { return folder_; }
    bool start() {
        if (pid_ > 0) return ready_;
        pid_ = StartProgram({"/usr/sbin/cupsd", "-f", "-c", folder_ + "/cupsd.conf", "-s",
                             folder_ + "/cups-files.conf"});
        return ready_ = pid_ > 0 && run("for i in $(seq 1000); do lpstat -r 2>/dev/null | grep -q "
                                        "'is running' && exit 0; sleep 0.01; done; exit 1") == 0;
    }
    // As a shutdown does (SIGTERM, its jobs stay queued) or a crash (SIGKILL).
    void stop(int signal = SIGTERM) {
        if (SignalOwnChild(pid_, signal)) ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        ready_ = false;
    }
    void freeze() const { SignalOwnChild(pid_, SIGSTOP); }
    std::string log() const { return RunCommand("cat " + folder_ + "/log/error_log").out; }
    // A CUPS client command (lpadmin, lpstat, ...) against this server.
    int run(const std::string& command) const { return RunCommand(command).status; }
    // PDF_Printer on vellumax-pdf with its policy, as the set-up makes it.
    void addPdfPrinter() const {
        run("'" VELLUMAX_PDF_QUEUE "' add '" VELLUMAX_PDF_PPD "' >/dev/null");
        // Tests that run as root print as root: the admin's opt-in.
        if (::geteuid() == 0) run("lpadmin -p PDF_Printer -v 'vellumax-pdf:/?system-accounts=yes'");
    }
    void addNullPrinter(const std::string& name) const {
        run("lpadmin -p " + name + " -D '" + name +
            " printer' -v file:///dev/null -m raw -E 2>/dev/null");
    }

  private:
    std::string folder_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// The folder where PDF Printer files this user's PDFs, and those whose names hold the marker.
inline std::string PdfFolder() {
    const passwd* pw = ::getpwuid(::getuid());
    return pw == nullptr ? std::string() : std::string(pw->pw_dir) + "/PDF";
}
inline std::vector<std::string> PdfsWithMarker(const std::string& marker) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(PdfFolder(), ec))
        if (e.path().stem().string().find(marker) != std::string::npos &&
            e.path().extension() == ".pdf")
            out.push_back(e.path().string());
    return out;
}
// What pdftotext reads from the PDF, with the page layout kept or in reading order.
inline std::string PdfText(const std::string& pdf, bool layout = true) {
    return RunCommand((layout ? "pdftotext -layout '" : "pdftotext '") + pdf + "' - 2>/dev/null")
        .out;
}

}  // namespace vx::test
