// A private CUPS server with "PDF Printer", for the Windows programs under Wine: prints its
// socket once it is up and keeps it until standard input closes.
#include <unistd.h>

#include <cstdio>

#include "system/PrivateCups.h"

int main() {
    vx::test::PrivateCups cups;
    if (!cups.ok()) return std::fprintf(stderr, "cupsd did not come up\n%s", cups.log().c_str()), 1;
    cups.addPdfPrinter();
    std::printf("%s/cups.sock\n", cups.folder().c_str());
    std::fflush(stdout);
    for (char buffer[256]; ::read(0, buffer, sizeof buffer) > 0;) {
    }
}
