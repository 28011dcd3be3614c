// textprint: the word processor on Linux. "textprint /p FILE" prints a text file on the
// user's default printer without asking, with the file's name as the job title.
#include <cups/cups.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "textprint/TextToPostScript.h"

namespace {

// Said on the terminal, and in a box where there is a display to show one.
int Fail(int argc, char** argv, const std::string& message) {
    std::fprintf(stderr, "textprint: %s\n", message.c_str());
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((x11 != nullptr && *x11 != 0) || (wayland != nullptr && *wayland != 0)) {
        QApplication app(argc, argv);
        QMessageBox::critical(nullptr, QStringLiteral("textprint"),
                              QString::fromStdString(message));
    }
    return 1;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

vx::PageSetup PageFor(cups_dest_t* dest) {
    vx::PageSetup page;
    const char* media = cupsGetOption("media", dest->num_options, dest->options);
    if (media != nullptr && (std::strstr(media, "letter") || std::strstr(media, "Letter"))) {
        page.width = 612;
        page.height = 792;
    }
    return page;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "/p") != 0) {
        std::fprintf(stderr, "usage: textprint /p FILE\n");
        return 2;
    }
    const std::string path = argv[2];
    // The default printer is read first: it is only lent to us while the run starts jobs.
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (dest == nullptr)
        return Fail(argc, argv,
                    std::string("there is no default printer: ") + cupsLastErrorString());
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        const int e = errno;
        cupsFreeDests(1, dest);
        return Fail(argc, argv, "cannot read \"" + path + "\": " + std::strerror(e));
    }

    // One pass decides how the bytes are meant, the second lays them out.
    vx::Utf8Check check;
    unsigned char chunk[1 << 16];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
        check.feed(chunk, got);
    const bool readError = std::ferror(in) != 0;
    if (readError || std::fseek(in, 0, SEEK_SET) != 0) {
        std::fclose(in);
        cupsFreeDests(1, dest);
        return Fail(argc, argv, "cannot read \"" + path + "\": " + std::strerror(errno));
    }

    char spool[] = "/tmp/textprint-XXXXXX";
    const int fd = ::mkstemp(spool);
    std::FILE* out = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (out == nullptr) {
        std::fclose(in);
        cupsFreeDests(1, dest);
        return Fail(argc, argv, std::string("cannot write a print file: ") + std::strerror(errno));
    }
    const std::string title = BaseName(path);
    vx::TextToPostScript(in, check.ok(), title, PageFor(dest), out);
    std::fclose(in);
    const bool written = std::fflush(out) == 0 && !std::ferror(out);
    std::fclose(out);

    int job = 0;
    if (written)
        job = cupsPrintFile2(CUPS_HTTP_DEFAULT, dest->name, spool, title.c_str(), 0, nullptr);
    ::unlink(spool);
    const std::string printer = dest->name;
    cupsFreeDests(1, dest);
    if (!written) return Fail(argc, argv, "cannot write a print file for \"" + path + "\"");
    if (job == 0)
        return Fail(argc, argv,
                    "\"" + printer + "\" did not take \"" + path + "\": " + cupsLastErrorString());
    return 0;
}
