#include <gtest/gtest.h>

#include "platform/qt/FileFilter.h"

namespace vantor {
namespace {

TEST(FileFilter, PairsBecomeQtFilters) {
    EXPECT_EQ(ToQtNameFilters("Text Files (*.txt)|*.txt||"), "Text Files (*.txt)");
    EXPECT_EQ(ToQtNameFilters("Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"),
              "Text Files (*.txt);;All Files (*.*)");
}

TEST(FileFilter, PatternsMissingFromTheDescriptionAreAdded) {
    EXPECT_EQ(ToQtNameFilters("Reports|*.txt;*.log||"), "Reports (*.txt *.log)");
}

TEST(FileFilter, IncompleteListsKeepTheirCompletePairs) {
    EXPECT_EQ(ToQtNameFilters("Text Files (*.txt)|*.txt"), "Text Files (*.txt)");
    EXPECT_EQ(ToQtNameFilters("Text Files (*.txt)|*.txt|Dangling"), "Text Files (*.txt)");
    EXPECT_EQ(ToQtNameFilters(""), "");
}

}  // namespace
}  // namespace vantor
