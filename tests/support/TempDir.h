#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vx::test {

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
  public:
    TempDir() : path_((std::filesystem::temp_directory_path() / "vellumax-test-XXXXXX").string()) {
        if (::mkdtemp(path_.data()) == nullptr) std::abort();
    }
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;  // gives back permissions a test took away, to remove everything
        using It = fs::recursive_directory_iterator;
        for (It it(path_, fs::directory_options::skip_permission_denied, ec); it != It();
             it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }
    // Creates the file, or the folder, with the folders above it.
    std::string file(const std::string& rel, const std::string& content = "x") const {
        std::filesystem::create_directories(std::filesystem::path(*this / rel).parent_path());
        std::ofstream(*this / rel, std::ios::binary) << content;
        return *this / rel;
    }
    std::string folder(const std::string& rel) const {
        std::filesystem::create_directories(*this / rel);
        return *this / rel;
    }

  private:
    std::string path_;
};

}  // namespace vx::test
