#pragma once

// A private CUPS server with its own folder, socket and settings: the user's are never touched.

#include <sys/types.h>

#include <string>
#include <vector>

namespace vx::test {

class PrivateCups {
  public:
    // Points CUPS_SERVER, CUPS_SERVERROOT and HOME of this process at a fresh folder and
    // starts cupsd there. ok() tells whether it came up.
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    bool ok() const { return pid_ > 0 && ready_; }
    const std::string& folder() const { return folder_; }
    void stop();  // as a shutdown does: its jobs stay queued
    bool start();
    std::string log() const;
    int run(const std::string& command) const;  // a CUPS client command: lpadmin, lpstat...
    void addPdfPrinter() const;  // PDF_Printer on vellumax-pdf with its policy, as set up
    void addNullPrinter(const std::string& name) const;

  private:
    std::string folder_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// The folder where PDF Printer files this user's PDFs, and those whose names hold the marker.
std::string PdfFolder();
std::vector<std::string> PdfsWithMarker(const std::string& marker);
// What pdftotext reads from the PDF, with the page layout kept or in reading order.
std::string PdfText(const std::string& pdf, bool layout = true);

}  // namespace vx::test
