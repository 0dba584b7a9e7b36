#include "directory/ldif/LdifDirectory.h"

#include <lber.h>
#include <ldif.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "directory/ldif/LdifReader.h"
#include "directory/ldif/LdifTreeBuilder.h"

namespace vantor {

namespace {

struct LdifClose {
    void operator()(LDIFFP* file) const { ldif_close(file); }
};
using LdifFile = std::unique_ptr<LDIFFP, LdifClose>;

LdifLoadResult Refused(std::string_view source, const LdifError& error) {
    std::string text(source);
    if (error.line != 0) {
        text += ':';
        text += std::to_string(error.line);
    }
    text += ": ";
    text += error.message;
    return {nullptr, text};
}

LdifLoadResult Load(LDIFFP* file, std::string_view source, const ClassProfile& profile) {
    LdifTreeBuilder builder(profile);
    if (auto refused =
            ReadLdifEntries(file, [&](const LdifEntry& entry) { return builder.Add(entry); })) {
        return Refused(source, *refused);
    }
    auto directory = std::make_unique<MemoryDirectory>();
    if (auto refused = builder.Build(*directory)) {
        return Refused(source, *refused);
    }
    directory->SetDescription(std::string(source));
    return {std::move(directory), {}};
}

}  // namespace

LdifLoadResult LoadLdifFile(const std::string& path, const ClassProfile& profile) {
    errno = 0;
    const LdifFile file(ldif_open(path.c_str(), "r"));
    if (!file) {
        return Refused(path, {0, std::string("cannot open: ") + std::strerror(errno)});
    }
    // libldap reads line by line; large reads keep a big export from costing a call per page.
    std::setvbuf(file->fp, nullptr, _IOFBF, std::size_t{1} << 20);
    return Load(file.get(), path, profile);
}

LdifLoadResult LoadLdifText(std::string_view text, std::string_view sourceName,
                            const ClassProfile& profile) {
    if (text.empty()) {
        return Refused(sourceName, {0, "no entries"});
    }
    std::string copy(text);  // the memory stream wants a writable buffer
    const LdifFile file(ldif_open_mem(copy.data(), copy.size(), "r"));
    if (!file) {
        return Refused(sourceName, {0, std::string("cannot read: ") + std::strerror(errno)});
    }
    return Load(file.get(), sourceName, profile);
}

}  // namespace vantor
