#pragma once

// Files for the tests that write reports and read them back: whole-file reads and writes, a
// folder of their own, and a disk that is nearly full.

#include <sys/resource.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vantor::test {

std::string ReadWhole(const std::filesystem::path& path);
void WriteWhole(const std::filesystem::path& path, const std::string& content);

// The lines of a report, whose every line ends in CR LF; text after the last CR LF is dropped.
std::vector<std::string> SplitCrLf(const std::string& text);

// A new folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
  public:
    TemporaryFolder();
    const std::filesystem::path& Path() const { return *path_; }

  private:
    struct Remove {
        void operator()(const std::filesystem::path* path) const;
    };
    std::unique_ptr<const std::filesystem::path, Remove> path_;  // one owner: never copied
};

// Holds the process's file size limit at a few bytes while it lives, as a nearly full disk
// would, so that a write fails half-way (SIGXFSZ ignored: the write returns EFBIG instead).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace vantor::test
