#pragma once

// A long batch through the real window, textprint, a private cupsd and our backend, with
// faults at random points: two cupsd restarts, a full ~/PDF for a few seconds, a kill -9 of
// the window and a second run of the files that have no PDF yet. Shared by the system test
// (about 100 files) and the benchmark (2,000).

#include <cstddef>
#include <string>
#include <vector>

namespace vx::test {

struct SoakOptions {
    std::size_t files = 100;
    unsigned seed = 1;
    bool faults = true;
    std::string self;      // this program, which runs the window with SoakWindow()
    double timeout = 170;  // seconds for the whole batch
};

struct SoakResult {
    double seconds = 0;                 // from the first press to the last PDF
    std::size_t pdfs = 0;               // inputs with their one complete PDF
    std::vector<std::string> problems;  // what a user would call lost or left behind
    std::string log;                    // the boxes and textprint's messages
};

// Runs the batch; call with the home folder on a SmallHome and no thread started yet.
SoakResult RunSoak(const SoakOptions& options);

// The window's side: "--soak-window HIVE LIST" runs the real window on the files named in
// LIST (one per line), presses "Convert To PDF" and prints every box on standard output.
bool IsSoakWindow(int argc, char** argv);
int SoakWindow(int argc, char** argv);

}  // namespace vx::test
