#pragma once

#include <string>

namespace vx {

// The file name a job's PDF gets: the job title without folders and without its last
// extension, made safe as one name, plus ".pdf". "notes.txt" gives "notes.pdf".
std::string PdfNameForTitle(const std::string& title, const std::string& jobId);

// The n-th choice of a name that is not taken yet: "notes.pdf", "notes (2).pdf", ...
std::string NumberedName(const std::string& name, int n);

// Where PDFs go: the folder the device URI names ("vellumax-pdf:/srv/pdfs"), or else the
// folder PDF in the home of the user who printed ("vellumax-pdf:/").
std::string OutputFolder(const std::string& deviceUri, const std::string& home);

}  // namespace vx
