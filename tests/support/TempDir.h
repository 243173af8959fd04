// Test support: a fresh directory under the system's temporary folder, removed with
// everything in it when the object goes.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class TempDir {
public:
    TempDir() {
        static std::atomic<int> serial{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("quillon-" + std::to_string(getpid()) + "-" + std::to_string(stamp) + "-" +
                 std::to_string(serial++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The full path of `name` inside the directory.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // Writes `bytes` to `name` and returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::string full = file(name);
        std::ofstream out(full, std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        return full;
    }
    // The whole content of a file.
    static std::string read(const std::string& full) {
        std::ifstream in(full, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};
