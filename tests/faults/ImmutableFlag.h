#pragma once
// Sets the immutable attribute of a file or folder while it lives: then not even root may
// create, rename or remove names in the folder, or replace or change the file. Needs a
// filesystem that keeps the attribute (ext4, xfs, btrfs) and the CAP_LINUX_IMMUTABLE capability.

#include <string>

namespace vantor::test {

class ImmutableFlag {
  public:
    explicit ImmutableFlag(std::string path);
    ~ImmutableFlag();
    ImmutableFlag(const ImmutableFlag&) = delete;
    ImmutableFlag& operator=(const ImmutableFlag&) = delete;

    // False when the attribute could not be set (the reason in Error()).
    bool Set() const { return set_; }
    const std::string& Error() const { return error_; }

  private:
    std::string path_;
    bool set_ = false;
    std::string error_;
};

}  // namespace vantor::test
