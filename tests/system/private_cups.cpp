// Test helper for runs outside this process (Windows programs under Wine): a private CUPS
// server with "PDF Printer" as the set-up makes it, kept until standard input closes. Says
// the server's socket on standard output once it is up.
#include <unistd.h>

#include <cstdio>

#include "system/PrivateCups.h"

int main() {
    vx::test::PrivateCups cups;
    if (!cups.ok()) {
        std::fprintf(stderr, "private-cups: cupsd did not come up\n%s", cups.log().c_str());
        return 1;
    }
    cups.addPdfPrinter();
    std::printf("%s/cups.sock\n", cups.folder().c_str());
    std::fflush(stdout);
    char buffer[256];
    while (::read(0, buffer, sizeof buffer) > 0) {
    }
    return 0;
}
