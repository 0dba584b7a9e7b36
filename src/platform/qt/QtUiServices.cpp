#include "platform/qt/QtUiServices.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>

#include "platform/DialogTemplate.h"
#include "platform/ResourceIds.h"
#include "platform/qt/DialogUnits.h"
#include "platform/qt/FileFilter.h"

namespace vantor {

namespace {

// Secondary windows belong to the modal window that is running, if any.
QWidget* ModalOwner() {
    return QApplication::activeModalWidget();
}

}  // namespace

// Notes a request to quit the application: the Quit event that QCoreApplication::quit() and
// the window system's termination send, or the end of the main event loop.
class QtUiServices::QuitWatch : public QObject {
  public:
    QuitWatch() {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            app->installEventFilter(this);
            connect(app, &QCoreApplication::aboutToQuit, this, [this] { quitting_ = true; });
        }
    }

    bool Quitting() const { return quitting_ || QCoreApplication::closingDown(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
            quitting_ = true;
        }
        return false;
    }

  private:
    bool quitting_ = false;
};

QtUiServices::QtUiServices() : quitWatch_(std::make_unique<QuitWatch>()) {
    // Qt's file dialog writes its history and last folder into the user's configuration folder
    // whenever it closes, and has no switch for it. The program keeps no settings and writes
    // no file the user did not name: settings go to a folder that cannot exist (a device is no
    // folder), so they are never written.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    // Message boxes and the file, print and password dialogs speak in the main window's font,
    // not in the toolkit's default one beside it.
    if (const DialogTemplate* main = FindDialogTemplate(res::IDD_MAIN)) {
        QApplication::setFont(DialogFont(*main));
    }
}

QtUiServices::~QtUiServices() {
    while (waitCursors_ > 0) {
        EndWaitCursor();
    }
}

std::unique_ptr<QtDialogHost> QtUiServices::StartDialog(CDialog& dialog, QWidget* parent) {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(dialog.TemplateId());
    if (dialogTemplate == nullptr) {
        return nullptr;
    }
    auto host = std::make_unique<QtDialogHost>(*dialogTemplate, dialog, parent);
    dialog.Attach(host.get());
    if (dialog.OnInitDialog()) {
        host->FocusFirstControl();
    }
    return host;
}

int QtUiServices::RunModal(CDialog& dialog) {
    const std::unique_ptr<QtDialogHost> host = StartDialog(dialog, ModalOwner());
    if (host == nullptr) {
        return -1;
    }
    // A dialog that ended during its start-up is never shown.
    const int result = host->Ended() ? host->result() : host->exec();
    dialog.Attach(nullptr);
    return result;
}

void QtUiServices::MessageBox(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    QString::fromStdString(text), QMessageBox::Ok, ModalOwner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtUiServices::AskYesNo(const std::string& question) {
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(),
                    QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No,
                    ModalOwner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtUiServices::GetSaveFileName(const std::string& defaultName,
                                                         const std::string& defaultExtension,
                                                         const std::string& filter) {
    QFileDialog dialog(ModalOwner());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(ToQtNameFilters(filter));
    // Added to a name typed without an extension; replacing a file is confirmed by the
    // dialog itself.
    dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    dialog.selectFile(QString::fromStdString(defaultName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst().toStdString();
}

std::optional<std::string> QtUiServices::GetOpenFileName(const std::string& filter) {
    QFileDialog dialog(ModalOwner());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(ToQtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst().toStdString();
}

void QtUiServices::BeginWaitCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ++waitCursors_;
}

void QtUiServices::EndWaitCursor() {
    if (waitCursors_ > 0) {
        --waitCursors_;
        QGuiApplication::restoreOverrideCursor();
    }
}

int QtUiServices::PumpMessages() {
    QCoreApplication::processEvents();
    return quitWatch_->Quitting() ? 0 : 1;
}

}  // namespace vantor
