#pragma once

#include <string>

namespace vx {

// The file name a job's PDF gets: the job title without folders and without its last
// extension, made safe as one name, plus ".pdf". "notes.txt" gives "notes.pdf".
std::string PdfNameForTitle(const std::string& title, const std::string& jobId);

// The n-th choice of a name that is not taken yet: "notes.pdf", "notes (2).pdf", ...
std::string NumberedName(const std::string& name, int n);

// What the queue's device URI says. "vellumax-pdf:/" files in the user's ~/PDF;
// "vellumax-pdf:/srv/pdfs" files in that folder. "?system-accounts=yes" lets root and system
// accounts print too; only an admin can set a queue's URI, so this is the admin's opt-in.
struct DeviceUri {
    std::string folder;  // empty for the user's ~/PDF
    bool systemAccounts = false;
};
DeviceUri ParseDeviceUri(const std::string& uri);

// The uids of people's login accounts, as /etc/login.defs gives them; the rest are root and
// system accounts.
struct LoginRange {
    unsigned long first = 1000;
    unsigned long last = 60000;
};
LoginRange ParseLoginDefs(const std::string& text);

// The job's uuid among the options cupsd passes a backend ("... job-uuid=urn:uuid:... ..."),
// "" when it has none or it is not one.
std::string JobUuid(const std::string& options);

// Whether a job that failed with this errno may succeed later by itself (a full disk, a
// quota, an I/O or network fault), so it is kept for a retry instead of cancelled.
bool IsPassingError(int error);

// Whether the folder lies on a file system that /etc/fstab names and that is not mounted
// now (a home on a network or an encrypted disk at start-up). fstab and mounts are the
// texts of /etc/fstab and /proc/self/mounts.
bool AwaitsMount(const std::string& folder, const std::string& fstab, const std::string& mounts);

}  // namespace vx
