// One QApplication for the whole test program, made before the first test and destroyed
// after the last, under the offscreen platform that CTest sets.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class QtApplicationEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QCoreApplication::setApplicationName(QStringLiteral("vantor"));
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[18] = "platform_qt_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
