#include <gtest/gtest.h>

#include <string>

#include "support/ResultLines.h"
#include "tree/CTextTreeCtrl.h"

namespace vantor {
namespace {

TVINSERTSTRUCT ResultRecord(HTREEITEM parent, const char* text, std::intptr_t count) {
    TVINSERTSTRUCT record;
    record.hParent = parent;
    record.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    record.item.pszText = text;
    record.item.cchTextMax = 1000;
    record.item.iImage = 1;
    record.item.iSelectedImage = 1;
    record.item.lParam = count;
    return record;
}

TEST(TextStore, RecordFormKeepsACopyAndGivesTheControlAnEmptyText) {
    CTextTreeCtrl tree;
    char buffer[] = "Sales 12";
    TVINSERTSTRUCT record = ResultRecord(0, buffer, 12);
    const HTREEITEM item = tree.InsertItem(&record);
    ASSERT_NE(item, 0u);

    ASSERT_NE(record.item.pszText, nullptr);
    EXPECT_NE(record.item.pszText, buffer);
    EXPECT_STREQ(record.item.pszText, "");
    buffer[0] = 'X';  // the caller's buffer is the caller's; the store kept its own copy
    EXPECT_EQ(tree.GetItemText(item), "Sales 12");
    EXPECT_EQ(tree.ControlText(item), "");
    // Everything else passes to the control untouched.
    EXPECT_EQ(tree.Data(item), 12);
    EXPECT_TRUE(tree.CarriesData(item));
    EXPECT_EQ(tree.Image(item), 1);
    EXPECT_EQ(tree.SelectedImage(item), 1);
}

TEST(TextStore, RefusedRecordInsertionStoresNothingButStillEmptiesTheRecordText) {
    CTextTreeCtrl tree;
    const HTREEITEM only = test::AddResultLine(tree, 0, "[Root]", 1);
    TVINSERTSTRUCT record = ResultRecord(only + 5, "Lost 3", 3);
    EXPECT_EQ(tree.InsertItem(&record), 0u);
    EXPECT_STREQ(record.item.pszText, "");
    EXPECT_EQ(tree.ItemCount(), 1u);
    // The handle the refused line would have had carries no text, and the next line that
    // gets it reads only its own.
    EXPECT_EQ(tree.GetItemText(only + 1), "");
    const HTREEITEM next = test::AddTextLine(tree, only, "next");
    EXPECT_EQ(tree.GetItemText(next), "next");
}

TEST(TextStore, TextFormMakesALineWithoutDataOrImage) {
    CTextTreeCtrl tree;
    const HTREEITEM root = test::AddResultLine(tree, 0, "[Root]", 4, 1);
    const HTREEITEM header = tree.InsertItem("[Root]:ERRORS", root, TVI_LAST);
    const HTREEITEM cancelled = tree.InsertItem("CANCELLED", TVI_ROOT, TVI_LAST);
    ASSERT_NE(header, 0u);
    ASSERT_NE(cancelled, 0u);
    EXPECT_EQ(tree.Next(root, TVGN_CHILD), header);
    EXPECT_EQ(tree.Next(root, TVGN_NEXT), cancelled);
    for (HTREEITEM line : {header, cancelled}) {
        EXPECT_EQ(tree.Data(line), 0);
        EXPECT_FALSE(tree.CarriesData(line));
        EXPECT_EQ(tree.Image(line), 0);
        EXPECT_EQ(tree.SelectedImage(line), 0);
        EXPECT_EQ(tree.ControlText(line), "");
    }
    EXPECT_EQ(tree.GetItemText(header), "[Root]:ERRORS");
    EXPECT_EQ(tree.GetItemText(cancelled), "CANCELLED");
}

TEST(TextStore, RefusedTextInsertionStoresNothing) {
    CTextTreeCtrl tree;
    EXPECT_EQ(tree.InsertItem("orphan", 3, TVI_LAST), 0u);
    EXPECT_EQ(tree.InsertItem("first", TVI_ROOT, TVI_ROOT), 0u);
    EXPECT_EQ(tree.ItemCount(), 0u);
    EXPECT_EQ(tree.GetItemText(1), "");
}

TEST(TextStore, LookupsWithoutAnEntryAreEmpty) {
    CTextTreeCtrl tree;
    test::AddTextLine(tree, 0, "CANCELLED");
    EXPECT_EQ(tree.GetItemText(0), "");
    EXPECT_EQ(tree.GetItemText(999), "");
    EXPECT_EQ(tree.GetItemText(TVI_ROOT), "");
    // A line put into the control past the store has no text either.
    TVINSERTSTRUCT bypass;
    bypass.item.mask = TVIF_TEXT;
    bypass.item.pszText = "control only";
    const HTREEITEM direct = tree.Insert(bypass);
    EXPECT_EQ(tree.GetItemText(direct), "");
}

TEST(TextStore, TextsAreKeptExactly) {
    CTextTreeCtrl tree;
    const std::string texts[] = {"", " ", "R&D 4", "-601:NWDSSearch:", "two  blanks 7 "};
    for (const std::string& text : texts) {
        const HTREEITEM item = test::AddTextLine(tree, 0, text);
        EXPECT_EQ(tree.GetItemText(item), text);
    }
    TVINSERTSTRUCT noText = ResultRecord(0, nullptr, 0);
    const HTREEITEM item = tree.InsertItem(&noText);
    ASSERT_NE(item, 0u);
    EXPECT_EQ(tree.GetItemText(item), "");
}

TEST(TextStore, AfterClearingEveryNewLineReadsOnlyItsOwnText) {
    CTextTreeCtrl tree;
    const HTREEITEM oldRoot = test::AddResultLine(tree, 0, "[Root]", 9);
    test::AddResultLine(tree, oldRoot, "Sales", 4);
    test::AddTextLine(tree, oldRoot, "Sales:ERRORS");
    tree.Clear();

    const HTREEITEM root = test::AddResultLine(tree, 0, "[Root]", 1);
    const HTREEITEM cancelled = test::AddTextLine(tree, 0, "CANCELLED");
    EXPECT_EQ(tree.GetItemText(root), "[Root] 1");
    EXPECT_EQ(tree.GetItemText(cancelled), "CANCELLED");
    EXPECT_EQ(tree.ControlText(cancelled), "");
    EXPECT_EQ(tree.Data(cancelled), 0);
    EXPECT_FALSE(tree.CarriesData(cancelled));
}

TEST(TextStore, ALinesDetailIsShownEscapedAndGoesWithTheLine) {
    CTextTreeCtrl tree;
    const HTREEITEM root = test::AddResultLine(tree, 0, "[Root]", 9);
    const HTREEITEM error = test::AddTextLine(tree, root, "-601:NWDSSearch:Sales");
    tree.SetItemDetail(error, "no such object\n\x1b[2J");
    EXPECT_EQ(tree.ItemDetail(error), "no such object\\n\\x1b[2J");
    EXPECT_EQ(tree.ItemDetail(root), "");
    // After clearing, a new line under the same handle has no detail of the old one's.
    tree.Clear();
    test::AddResultLine(tree, 0, "[Root]", 1);
    const HTREEITEM again = test::AddResultLine(tree, 0, "Sales", 2);
    ASSERT_EQ(again, error);
    EXPECT_EQ(tree.ItemDetail(again), "");
}

}  // namespace
}  // namespace vantor
