#include "app/window/StartUp.h"

#include <chrono>
#include <ctime>
#include <random>

namespace vx {

TwipPoint CenteredPosition(Size screen, Size outer) {
    return {(screen.width - outer.width) * kTwipsPerPixel / 2.0,
            (screen.height - outer.height) * kTwipsPerPixel / 2.0};
}

bool FileExists(FileSystem& fs, const std::string& path) {
    try {
        fs.modificationTime(path);
        return true;
    } catch (...) {
        return false;
    }
}

bool OpenHomePageByChance(double r, const std::string& url, Launcher& launcher) {
    const int n = static_cast<int>(r * 100) + 1;
    if (n != 7 || url.empty()) return false;
    try {
        launcher.openUrl(url);
    } catch (const PlatformError&) {
        // The page is a courtesy; a missing browser must not stop the start.
    }
    return true;
}

double RandomFromClock() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() %
        1000000;
    const auto sinceMidnight =
        static_cast<std::uint64_t>((local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec)) *
            1000000 +
        static_cast<std::uint64_t>(micros);
    std::mt19937_64 engine(sinceMidnight);
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

}  // namespace vx
