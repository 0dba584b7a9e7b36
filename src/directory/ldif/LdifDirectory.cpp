#include "directory/ldif/LdifDirectory.h"

#include "engine/FullName.h"

namespace vantor {

namespace {

constexpr std::string_view kStandardInput = "standard input";

LdifLoadResult Refused(std::string_view source, const LdifError& error) {
    LdifLoadResult result;
    if (error.cancelled) {
        result.cancelled = true;
        result.error = "reading " + std::string(source) + " was cancelled";
        return result;
    }
    result.error = source;
    if (error.line != 0) {
        result.error += ':';
        result.error += std::to_string(error.line);
    }
    result.error += ": ";
    result.error += error.message;
    return result;
}

LdifLoadResult Load(LdifInput& input, std::string_view source, const ClassProfile& profile,
                    const LdifProgressCheck& keepGoing, const ObjectFilter* filter) {
    ExportTreeBuilder builder(profile);
    if (auto refused = ReadLdifEntries(
            input, [&](const LdifEntry& entry) { return builder.Add(entry); }, keepGoing, filter)) {
        return Refused(source, *refused);
    }
    LdifLoadResult result;
    result.directory = std::make_unique<LdifDirectory>(builder.Finish(), std::string(source));
    return result;
}

}  // namespace

LdifDirectory::LdifDirectory(ExportTree tree, std::string source)
    : tree_(std::move(tree)), source_(std::move(source)) {}

std::optional<StoredDirectory::EntryId> LdifDirectory::FindContainer(std::string_view fullName,
                                                                     std::string& whyNot) const {
    auto found = tree_.Find(fullName);
    if (!found) {
        whyNot =
            "no container of " + source_ + " has the full name \"" + std::string(fullName) + "\"";
    }
    return found;
}

std::size_t LdifDirectory::ListedCount(EntryId container) const {
    return tree_.At(container).childCount;
}

StoredDirectory::Listed LdifDirectory::ListedAt(EntryId container, std::size_t index) const {
    const ExportTree::Id child = tree_.Child(tree_.At(container), index);
    return {ExportTree::Name(tree_.At(child)), true, child};
}

std::optional<std::uint32_t> LdifDirectory::ClassOf(std::string_view className) const {
    const auto kind = ClassProfile::KindOfClassName(className);
    return kind ? std::optional(static_cast<std::uint32_t>(*kind)) : std::nullopt;
}

std::uint32_t LdifDirectory::ObjectCount(EntryId container, std::uint32_t classId) const {
    return tree_.At(container).counts.at(classId);
}

StoredDirectory::EntryId LdifDirectory::PartitionRootOf(EntryId container) const {
    return tree_.PartitionRootOf(container);
}

std::string LdifDirectory::FullNameOf(EntryId container) const {
    return tree_.FullName(container);
}

std::string LdifDirectory::DnOf(EntryId container) const {
    return std::string(tree_.EntryDn(container));
}

std::optional<std::pair<int, std::string>> LdifDirectory::SearchRefusal(EntryId container) const {
    const ExportTree::Container& at = tree_.At(container);
    if (at.referral == ExportTree::kNoReferral) {
        return std::nullopt;
    }
    return std::pair(dirError::kReferralsFailed,
                     "a referral to " + std::string(tree_.ReferralUrl(at)) + " (" + source_ + ":" +
                         std::to_string(at.line) + "); referrals are not followed");
}

std::string LdifSourceName(const std::string& path) {
    return path == "-" ? std::string(kStandardInput) : path;
}

LdifLoadResult LoadLdifFile(const std::string& path, const ClassProfile& profile,
                            const LdifProgressCheck& keepGoing, const ObjectFilter* filter) {
    const std::string source = LdifSourceName(path);
    std::string error;
    const std::unique_ptr<LdifInput> input = OpenLdifInput(path, error);
    if (!input) {
        return Refused(source, {0, error});
    }
    return Load(*input, source, profile, keepGoing, filter);
}

LdifLoadResult LoadLdifText(std::string_view text, std::string_view sourceName,
                            const ClassProfile& profile, const LdifProgressCheck& keepGoing,
                            const ObjectFilter* filter) {
    const std::unique_ptr<LdifInput> input = TextLdifInput(text);
    return Load(*input, sourceName, profile, keepGoing, filter);
}

}  // namespace vantor
