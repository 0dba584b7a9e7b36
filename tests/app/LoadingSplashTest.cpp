// The splash while an export loads: it says how far the load has come, and Cancel stops it.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "app/LoadingSplash.h"

namespace vantor {
namespace {

TEST(LoadingSplash, ShowsEntriesAndShareAndCancelStopsTheLoad) {
    LoadingSplash splash("/srv/export.ldif", std::chrono::milliseconds(0));
    EXPECT_TRUE(splash.Update({1234567, 450, 1000}));
    EXPECT_EQ(splash.Text(), "Reading /srv/export.ldif: 1,234,567 entries read (45%)");
    EXPECT_EQ(splash.Percent(), 45);
    // From a pipe the size is unknown: no share, a busy bar.
    EXPECT_TRUE(splash.Update({20, 4096, std::nullopt}));
    EXPECT_EQ(splash.Text(), "Reading /srv/export.ldif: 20 entries read");
    EXPECT_EQ(splash.Percent(), -1);
    QTest::mouseClick(splash.CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(splash.Update({30, 8192, std::nullopt}));
}

TEST(LoadingSplash, AQuickLoadShowsNothing) {
    LoadingSplash splash("sample", std::chrono::hours(1));
    EXPECT_TRUE(splash.Update({10, 100, 200}));
    EXPECT_EQ(splash.Text(), "");
}

}  // namespace
}  // namespace vantor
