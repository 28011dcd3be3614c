#pragma once

#include <string>

#include "platform/Services.h"

namespace vx {

// Where a window of the given outer size stands centred on a screen, in twips
// (15 to a logical pixel), fractions kept.
struct TwipPoint {
    double left = 0;
    double top = 0;
};
inline constexpr double kTwipsPerPixel = 15.0;
TwipPoint CenteredPosition(Size screen, Size outer);

// True when the path's modification time can be read; never fails.
bool FileExists(FileSystem& fs, const std::string& path);

// Draws n from 1 to 100 with r in [0, 1); on 7 opens the home page. An empty URL never opens.
// Returns whether it opened.
bool OpenHomePageByChance(double r, const std::string& url, Launcher& launcher);

// A clock-seeded uniform source in [0, 1): seconds since midnight with their fraction.
double RandomFromClock();

}  // namespace vx
