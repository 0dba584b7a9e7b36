// vantor-count: counts a directory from the command line and writes the result.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>

#include "cli/CliHost.h"
#include "cli/Comparison.h"
#include "cli/LoadProgress.h"
#include "cli/Options.h"
#include "cli/OutputClash.h"
#include "cli/OutputFormats.h"
#include "cli/StandardOutput.h"
#include "cli/TerminalPrompt.h"
#include "directory/ldap/LdapDirectory.h"
#include "directory/ldif/BundledSample.h"
#include "directory/profile/ProfileText.h"
#include "directory/source/DirectorySource.h"
#include "directory/source/LoadingText.h"
#include "doc/UsageTexts.h"
#include "engine/ObjectKinds.h"
#include "platform/ResourceIds.h"
#include "platform/StringTable.h"
#include "platform/qtprint/PdfPrintDevice.h"
#include "report/PrintedReport.h"
#include "report/ReportDate.h"
#include "report/SaveFile.h"
#include "report/TextReport.h"
#include "run/CountRun.h"
#include "tree/CTextTreeCtrl.h"
#include "tree/TreeWalk.h"
#include "tree/VisibleText.h"

namespace vantor {
namespace {

// A message may quote a file name or an entry: shown as the report shows names.
int Fail(int code, const std::string& message) {
    std::cerr << "vantor-count: " << VisibleText(message) << '\n';
    return code;
}

int FailUsage(const std::string& message) {
    Fail(kExitUsageOrFileError, message);
    std::cerr << "Try 'vantor-count --help'.\n";
    return kExitUsageOrFileError;
}

std::string BuildOutput(const CliOptions& options, const CCountTreeCtrl& tree, CTreeWalk& walk,
                        const RunRecord& record) {
    switch (options.format) {
        case OutputFormat::kCsv:
            return BuildCsv(tree, walk, record);
        case OutputFormat::kJson:
            return BuildJson(tree, walk, record);
        case OutputFormat::kPrometheus:
            return BuildPrometheus(tree, walk, record);
        case OutputFormat::kReport:
            break;
    }
    return BuildTextReport(tree, walk, record.kind, record.date);
}

// Writes to standard output: kExitComplete, or the status of a failed write. A reader that has
// gone (head had enough, a pager was quit) knows why, so that failure goes without a message.
int Print(std::string_view text) {
    const int error = WriteStandardOutput(text);
    if (error == 0) {
        return kExitComplete;
    }
    if (error == EPIPE) {
        return kExitUsageOrFileError;
    }
    return Fail(kExitUsageOrFileError,
                std::string("Could not write to standard output: ") + std::strerror(error));
}

// Writes to the output file (replaced only when complete) or to standard output.
int WriteOutput(const CliOptions& options, const std::string& output) {
    if (!options.outputPath) {
        return Print(output);
    }
    if (auto error = SaveFileReplacing(*options.outputPath, output)) {
        return Fail(kExitUsageOrFileError, *error);
    }
    return kExitComplete;
}

int Run(int argc, char** argv) {
    // From the start, so an interrupt while a large export loads cancels the run too.
    CliHost::InstallInterruptHandler();
    IgnoreBrokenPipeSignal();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    ScrubPasswordArguments(argc, argv);
    DirectoryArguments directoryArguments = TakeDirectoryArguments(arguments);
    if (!directoryArguments.error.empty()) {
        return FailUsage(directoryArguments.error);
    }
    auto parsed = ParseCommandLine(directoryArguments.rest);
    if (auto* error = std::get_if<std::string>(&parsed)) {
        return FailUsage(*error);
    }
    const CliOptions& options = std::get<CliOptions>(parsed);
    if (options.help) {
        return Print(kVantorCountUsage);
    }
    if (!options.profileShow.empty()) {
        return Print(ProfileText(*FindProfile(options.profileShow)));
    }
    if (options.version) {
        return Print("vantor-count " + std::string(kProgramVersion) + '\n');
    }

    // Before the count, so that a long count is not wasted on a file that cannot be compared.
    std::optional<EarlierRun> earlier;
    if (options.comparePath) {
        auto read = ReadEarlierRun(*options.comparePath);
        if (auto* error = std::get_if<std::string>(&read)) {
            return Fail(kExitUsageOrFileError, *error);
        }
        earlier = std::move(std::get<EarlierRun>(read));
        if (auto refusal = CompareRefusal(*earlier, LoadString(res::IDS_KIND_FIRST + options.kind),
                                          ModeName(options.byContainer))) {
            return Fail(kExitUsageOrFileError, *refusal);
        }
    }

    DirectoryChoice& choice = directoryArguments.choice;
    choice.filter = options.filter;
    if (auto clash = OutputClash(choice.ldifPath, options)) {
        return Fail(kExitUsageOrFileError, *clash);
    }
    // Before -W asks, so that the user can still decide not to type the password.
    if (auto warning = ClearTextPasswordWarning(choice, choice.askPassword)) {
        std::cerr << "vantor-count: warning: " << *warning << '\n';
    }
    if (choice.askPassword) {
        const auto password = PromptOnTerminal("Enter LDAP Password: ");
        if (!password) {
            return Fail(kExitUsageOrFileError, "option -W: no password was entered");
        }
        choice.ldapSettings.password = *password;
    }
    // A server that stops answering must not hold Ctrl-C up until its timeout.
    choice.ldapSettings.hooks.cancelled = CliHost::InterruptRequested;
    choice.ldapSettings.hooks.notice = [](const std::string& notice) {
        std::cerr << "vantor-count: notice: " << notice << '\n';
    };
    const bool chatty = !options.quiet && ::isatty(STDERR_FILENO) != 0;
    LoadProgress loading(chatty);
    choice.ldifProgress = [&loading](const LdifProgress& progress) {
        loading.Show(progress);
        return !CliHost::InterruptRequested();
    };
    OpenedDirectory opened = OpenDirectory(choice);
    loading.Done();
    if (!opened.client && !opened.cancelled) {
        return Fail(kExitUsageOrFileError, opened.error);
    }

    RunRecord record;
    record.notCounted = opened.notCounted;
    record.kind = options.kind;
    record.allKinds = options.allKinds;
    record.byContainer = options.byContainer;
    record.filter = options.filter;
    record.version = std::string(kProgramVersion);
    CCountTreeCtrl tree;
    CountRunOutcome outcome = CountRunOutcome::kRunCancelled;
    if (opened.cancelled) {
        // Cancelled while the export was read: the output says so, as for a cancelled count.
        std::cerr << "vantor-count: " << VisibleText(opened.error) << '\n';
        record.directory = choice.ldifPath ? LdifSourceName(*choice.ldifPath)
                                           : std::string(kBundledSampleDescription);
        record.cancelled = true;
        tree.InsertItem(kCancelledLine, TVI_ROOT, TVI_LAST);
    } else {
        record.directory = opened.client->Description();
        CliHost host(record, chatty);
        outcome = RunCount(*opened.client, tree, host, options.byContainer);
        if (outcome == CountRunOutcome::kTablesFailed ||
            outcome == CountRunOutcome::kContextFailed) {
            if (CliHost::InterruptRequested()) {
                return Fail(kExitCancelled, "cancelled while opening the directory");
            }
            return Fail(kExitCannotOpenDirectory, host.Failure());
        }
    }
    // After the run: over LDAP the profile "auto" has settled on one by now.
    const ClassProfile& profile = opened.ldap != nullptr ? opened.ldap->Profile() : opened.profile;
    record.profile = profile.name;
    record.className = profile.ClassesOf(static_cast<std::size_t>(options.kind));
    for (std::size_t kind = 0; options.allKinds && kind < kKindWords.size(); ++kind) {
        record.kindClassNames.at(kind) = profile.ClassesOf(kind);
    }
    const RunTime now = CurrentRunTime();
    record.date = now.reportDate;
    record.timestamp = now.isoTimestamp;

    CTreeWalk walk(tree);
    if (earlier) {
        record.comparison = CompareRuns(std::move(*earlier), tree, walk, record);
        record.comparison->changedOnly = options.changedOnly;
    }
    if (const int written = WriteOutput(options, BuildOutput(options, tree, walk, record));
        written != kExitComplete) {
        return written;
    }
    if (options.pdfPath) {
        const std::unique_ptr<PrintDevice> pdf = OpenPdfPrintDevice(*options.pdfPath);
        if (auto error = PrintAndDeliver(*pdf, tree, walk, record.kind, record.date)) {
            return Fail(kExitUsageOrFileError, *error);
        }
    }
    if (!options.quiet && !record.notCounted.empty()) {
        std::cerr << "vantor-count: " << VisibleText(NotCountedText(record.notCounted)) << '\n';
    }
    if (outcome == CountRunOutcome::kRunCancelled) {
        return kExitCancelled;
    }
    for (const auto& [line, node] : record.nodes) {
        if (!node.errors.empty()) {
            return kExitWithDirectoryErrors;
        }
    }
    return kExitComplete;
}

}  // namespace
}  // namespace vantor

int main(int argc, char** argv) {
    try {
        return vantor::Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantor-count: %s\n", e.what());
    } catch (...) {
        std::fputs("vantor-count: unexpected failure\n", stderr);
    }
    return vantor::kExitUsageOrFileError;
}
