#include "cli/OutputClash.h"

#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The file a path leads to; none when there is none yet.
std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat status {};
    const int result = path == "-" ? ::fstat(STDIN_FILENO, &status) : ::stat(path.c_str(), &status);
    if (result != 0) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino};
}

bool SameFile(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = IdentityOf(a);
    return first && first == IdentityOf(b);
}

}  // namespace

std::optional<std::string> OutputClash(const std::optional<std::string>& ldifPath,
                                       const CliOptions& options) {
    for (const std::optional<std::string>& output : {options.outputPath, options.pdfPath}) {
        if (output && ldifPath && SameFile(*output, *ldifPath)) {
            return "\"" + *output + "\" is the LDIF export being counted: it is not overwritten";
        }
    }
    if (options.outputPath && options.pdfPath &&
        (*options.outputPath == *options.pdfPath ||
         SameFile(*options.outputPath, *options.pdfPath))) {
        return "-o and --pdf name the same file \"" + *options.pdfPath + "\"";
    }
    return std::nullopt;
}

}  // namespace vantor
