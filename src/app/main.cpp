// vantor: the window program. The directory options are those of vantor-count (see --help), or
// an export named alone; without any, the bundled sample directory is counted.

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <cstdio>
#include <iostream>

#include "app/ChoiceOpener.h"
#include "app/CountApp.h"
#include "app/LoadingSplash.h"
#include "app/WindowArguments.h"
#include "directory/ldif/BundledSample.h"
#include "directory/source/DirectorySource.h"
#include "doc/UsageTexts.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qtprint/QtPrintService.h"

namespace vantor {
namespace {

std::optional<std::string> PromptInDialog(std::string_view prompt) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(nullptr, QCoreApplication::applicationName(),
                              QString::fromUtf8(prompt.data(), static_cast<int>(prompt.size())),
                              QLineEdit::Password, QString(), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text.toStdString();
}

int Run(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::cout << kVantorUsage;
            return 0;
        }
        if (argument == "--version") {
            std::cout << "vantor " << kProgramVersion << '\n';
            return 0;
        }
    }
    ScrubPasswordArguments(argc, argv);
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName("vantor");
    QtUiServices ui;

    DirectoryArguments chosen = TakeWindowArguments(arguments);
    if (!chosen.error.empty()) {
        std::cerr << "vantor: " << chosen.error << "\nTry 'vantor --help'.\n";
        return 4;
    }
    // Before the password is asked for, so that the user can still decide not to type it.
    if (auto warning = ClearTextPasswordWarning(chosen.choice, NeedsPassword(chosen.choice))) {
        ui.MessageBox(*warning);
    }
    if (NeedsPassword(chosen.choice)) {
        const auto password =
            PromptInDialog("Password for " + chosen.choice.ldapSettings.bindDn + ":");
        if (!password) {
            ui.MessageBox("No password was entered: nothing is counted.");
            return 4;
        }
        chosen.choice.ldapSettings.password = *password;
    }
    OpenedDirectory opened;
    {
        LoadingSplash splash(chosen.choice.ldifPath ? LdifSourceName(*chosen.choice.ldifPath)
                                                    : std::string(kBundledSampleDescription));
        chosen.choice.ldifProgress = [&splash](const LdifProgress& progress) {
            return splash.Update(progress);
        };
        opened = OpenDirectory(chosen.choice);
    }
    if (opened.cancelled) {
        return 2;
    }
    if (!opened.client) {
        ui.MessageBox(opened.error);
        return 4;
    }
    QtPrintService printers;
    chosen.choice.ldapSettings.password.clear();  // the window asks again for another server
    ChoiceOpener opener(std::move(chosen.choice));
    CCountApp theApp(ui, *opened.client, printers, opener);
    theApp.InitInstance();
    return 0;
}

}  // namespace
}  // namespace vantor

int main(int argc, char** argv) {
    try {
        return vantor::Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantor: %s\n", e.what());
    }
    return 4;
}
