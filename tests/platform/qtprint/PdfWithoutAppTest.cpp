// The PDF device in a program that has no Qt application object, like the command-line
// counter: it brings its own for as long as it lives.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "platform/qtprint/PdfPrintDevice.h"
#include "platform/qtprint/PdfText.h"
#include "report/PrintedReport.h"
#include "support/ResultLines.h"

namespace vantor {
namespace {

TEST(PdfWithoutApp, DeviceBringsAnOffscreenApplicationForItsLifetime) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Twice in a row: the second device needs an application of its own again.
    for (const char* name : {"first.pdf", "second.pdf"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.filePath(name).toStdString();
        CCountTreeCtrl tree;
        test::AddResultLine(tree, 0, "[Root]", 7);
        CTreeWalk walk(tree);
        {
            std::unique_ptr<PrintDevice> device = OpenPdfPrintDevice(path);
            ASSERT_NE(QCoreApplication::instance(), nullptr);
            EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
            EXPECT_EQ(PrintAndDeliver(*device, tree, walk, 1, "March 05, 1997 2:07 PM"),
                      std::nullopt);
        }
        EXPECT_EQ(QCoreApplication::instance(), nullptr);

        if (test::HavePdfToText()) {
            const std::vector<std::string> pages = test::PdfPages(path);
            ASSERT_EQ(pages.size(), 1u);
            EXPECT_NE(pages[0].find("Server objects -- Total: 7"), std::string::npos) << pages[0];
        }
    }
}

}  // namespace
}  // namespace vantor
