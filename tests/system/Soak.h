#pragma once

// A long batch through the real window, textprint, a private cupsd and our backend, shared by
// the soak test and its benchmark.

#include <string>
#include <vector>

namespace vx::test {

struct SoakOptions {
    std::size_t files = 100;
    unsigned seed = 1;
    bool faults = true;
    double timeout = 170;  // seconds for the whole batch
};

struct SoakResult {
    double seconds = 0;                 // from the first press to the last PDF
    std::size_t pdfs = 0;               // inputs with their one complete PDF
    std::vector<std::string> problems;  // what a user would call lost or left behind, and logs
};

// Runs the batch while, at random points, cupsd restarts twice, ~/PDF is full for a few seconds
// and the window is killed (kill -9) and run on the files without a PDF. Call before threads.
SoakResult RunSoak(const SoakOptions& options);

// What main() runs first: "--window LIST [hold]" runs the real window with textprint on the
// files in LIST (kept in the folder "in" beside it), presses "Convert To PDF", prints every box
// and, after each "Done.", waits for textprint to hand its job over (with "hold": then for a
// signal). Otherwise returns -1.
int RunWindow(int argc, char** argv);

}  // namespace vx::test
