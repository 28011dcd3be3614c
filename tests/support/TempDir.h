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
    TempDir() {
        path_ = (std::filesystem::temp_directory_path() / "vellumax-test-XXXXXX").string();
        if (::mkdtemp(path_.data()) == nullptr) std::abort();
    }
    ~TempDir() {
        std::error_code ec;
        // Give back permissions a test took away so everything can be removed.
        for (auto it = std::filesystem::recursive_directory_iterator(
                 path_, std::filesystem::directory_options::skip_permission_denied, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
        }
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

    // Creates the file with its folders.
    std::string file(const std::string& rel, const std::string& content = "x") const {
        const std::string p = *this / rel;
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }
    std::string folder(const std::string& rel) const {
        const std::string p = *this / rel;
        std::filesystem::create_directories(p);
        return p;
    }

  private:
    std::string path_;
};

}  // namespace vx::test
