#include "app/LoadingSplash.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "directory/source/LoadingText.h"
#include "platform/ResourceIds.h"
#include "platform/qt/QtResources.h"
#include "tree/VisibleText.h"

namespace vantor {

LoadingSplash::LoadingSplash(std::string source, std::chrono::milliseconds showAfter)
    : source_(std::move(source)), shownFrom_(std::chrono::steady_clock::now() + showAfter) {}

LoadingSplash::~LoadingSplash() = default;

void LoadingSplash::Build() {
    dialog_ = std::make_unique<QDialog>();
    dialog_->setWindowTitle(QCoreApplication::applicationName());
    auto* layout = new QVBoxLayout(dialog_.get());
    const QPixmap splash = BitmapResource(res::IDB_SPLASH, dialog_->devicePixelRatioF());
    auto* picture = new QLabel(dialog_.get());
    picture->setPixmap(splash);
    layout->addWidget(picture);
    text_ = new QLabel(dialog_.get());
    text_->setWordWrap(true);  // as wide as the picture, however long the file's name
    text_->setFixedWidth(qRound(splash.deviceIndependentSize().width()));
    layout->addWidget(text_);
    bar_ = new QProgressBar(dialog_.get());
    layout->addWidget(bar_);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), dialog_.get());
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    QObject::connect(cancel_, &QPushButton::clicked, [this] { cancelled_ = true; });
    // Closing the window cancels too.
    QObject::connect(dialog_.get(), &QDialog::rejected, [this] { cancelled_ = true; });
    dialog_->show();
}

bool LoadingSplash::Update(const LdifProgress& progress) {
    if (!dialog_ && std::chrono::steady_clock::now() >= shownFrom_) {
        Build();
    }
    if (dialog_) {
        const std::string text = "Reading " + VisibleText(source_) + ": " + LoadingText(progress);
        text_->setText(QString::fromStdString(text));
        const auto percent = LoadedPercent(progress);
        bar_->setRange(0, percent ? 100 : 0);  // no share known: a busy bar
        bar_->setValue(percent.value_or(0));
        QApplication::processEvents();
    }
    return !cancelled_;
}

std::string LoadingSplash::Text() const {
    return text_ != nullptr ? text_->text().toStdString() : std::string();
}

int LoadingSplash::Percent() const {
    return bar_ != nullptr && bar_->maximum() > 0 ? bar_->value() : -1;
}

}  // namespace vantor
