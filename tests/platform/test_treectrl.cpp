#include "platform/treectrl.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(CTreeCtrl, NavigationFollowsInsertionOrder) {
    CTreeCtrl tree;
    EXPECT_EQ(tree.GetRootItem(), 0u);
    const HTREEITEM a = tree.InsertItem("A");
    const HTREEITEM a1 = tree.InsertItem("A1", a);
    const HTREEITEM b = tree.InsertItem("");
    const HTREEITEM a2 = tree.InsertItem("A2", a, TVI_LAST);
    EXPECT_EQ(tree.GetRootItem(), a);
    EXPECT_EQ(tree.GetNextSiblingItem(a), b);
    EXPECT_EQ(tree.GetNextSiblingItem(b), 0u);
    EXPECT_EQ(tree.GetChildItem(a), a1);
    EXPECT_EQ(tree.GetNextSiblingItem(a1), a2);
    EXPECT_EQ(tree.GetParentItem(a2), a);
    EXPECT_EQ(tree.GetParentItem(a), 0u);
    EXPECT_TRUE(tree.ItemHasChildren(a));
    EXPECT_FALSE(tree.ItemHasChildren(b));
    EXPECT_EQ(tree.GetNextSiblingItem(a2), 0u);
    EXPECT_EQ(tree.GetChildItem(a1), 0u);
    // Captions and data of items inserted between others stay their own.
    EXPECT_EQ(tree.GetItemText(a2), "A2");
    EXPECT_EQ(tree.GetItemText(a1), "A1");
    EXPECT_EQ(tree.GetItemText(b), "");
    EXPECT_TRUE(tree.SetItemData(b, INT32_MIN));
    EXPECT_EQ(tree.GetItemData(b), INT32_MIN);
    EXPECT_EQ(tree.GetItemData(a1), 0);
    EXPECT_EQ(tree.GetItemData(a2), 0);
    EXPECT_EQ(tree.InsertItem("x", 99), 0u); // no such parent
    EXPECT_EQ(tree.GetChildItem(0), 0u);
}

TEST(CTreeCtrl, SelectExpandsAncestorsAndNotifiesOnChangeOnly) {
    CTreeCtrl tree;
    const HTREEITEM a = tree.InsertItem("A");
    const HTREEITEM b = tree.InsertItem("B", a);
    const HTREEITEM c = tree.InsertItem("C", b);
    std::vector<std::pair<HTREEITEM, HTREEITEM>> calls;
    tree.m_onSelChanged = [&](HTREEITEM hOld, HTREEITEM hNew) { calls.emplace_back(hOld, hNew); };
    EXPECT_TRUE(tree.SelectItem(c));
    EXPECT_TRUE(tree.IsExpanded(a));
    EXPECT_TRUE(tree.IsExpanded(b));
    EXPECT_FALSE(tree.IsExpanded(c));
    EXPECT_EQ(tree.GetSelectedItem(), c);
    EXPECT_EQ(tree.GetNextItem(0, TVGN_CARET), c);
    tree.SelectItem(c);
    tree.SelectItem(0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], std::make_pair(HTREEITEM{0}, c));
    EXPECT_EQ(calls[1], std::make_pair(c, HTREEITEM{0}));
    EXPECT_FALSE(tree.SelectItem(77));
    tree.Expand(a, TVE_TOGGLE);
    EXPECT_FALSE(tree.IsExpanded(a));
    tree.Expand(a, TVE_EXPAND);
    EXPECT_TRUE(tree.IsExpanded(a));
    EXPECT_FALSE(tree.Expand(0, TVE_EXPAND));
}

// Captions that meet a chunk's end: one that just fits, one that would
// cross it (moved to the next chunk), empty ones on either side of the
// boundary, one a whole chunk long; each reads back as inserted, the ones
// before it untouched.
TEST(CTreeCtrl, CaptionsAroundChunkBoundariesReadBackWhole) {
    constexpr std::size_t kChunk = CTreeCtrl::kTextChunkBytes;
    const std::vector<std::string> captions = {std::string(kChunk - 3, 'a'),
                                               "bcd",
                                               "",
                                               "efg",
                                               std::string(kChunk - 5, 'h'),
                                               "ijklmn",
                                               "",
                                               std::string(kChunk, 'o'),
                                               "",
                                               "p",
                                               std::string(kChunk - 1, 'q'),
                                               "rs"};
    CTreeCtrl tree;
    std::vector<HTREEITEM> items;
    for (const std::string& caption : captions)
        items.push_back(tree.InsertItem(caption, items.empty() ? TVI_ROOT : items.front()));
    for (std::size_t i = 0; i < captions.size(); ++i)
        EXPECT_EQ(tree.ViewItemText(items[i]), captions[i]) << i;
    EXPECT_EQ(tree.ViewItemText(0), "");
    EXPECT_THROW(tree.InsertItem(std::string(kChunk + 1, 'x')), std::length_error);
    EXPECT_EQ(tree.GetCount(), captions.size());
    tree.DeleteAllItems();
    EXPECT_EQ(tree.GetItemText(tree.InsertItem("again")), "again");
}

// The first chunk starts small and grows as captions come: every caption
// written before a growth reads back after it.
TEST(CTreeCtrl, CaptionsSurviveTheFirstChunkGrowing) {
    CTreeCtrl tree;
    std::vector<std::string> captions;
    for (int i = 0; i < 20000; ++i)
        captions.push_back(std::string(static_cast<std::size_t>(i % 37), 'a' + i % 26) +
                           std::to_string(i));
    for (const std::string& caption : captions)
        tree.InsertItem(caption);
    for (HTREEITEM h = 1; h <= captions.size(); ++h)
        ASSERT_EQ(tree.ViewItemText(h), captions[h - 1]) << h;
}

// Children appended to any earlier item, in any order: each item's children
// and the top level read back in insertion order, ending where they end.
TEST(CTreeCtrl, SiblingsComeBackInInsertionOrderWhereverTheyWereAdded) {
    std::mt19937 rng(11);
    CTreeCtrl tree;
    std::vector<std::vector<HTREEITEM>> children(1); // [0]: the top level
    for (int i = 0; i < 3000; ++i) {
        const HTREEITEM hParent = static_cast<HTREEITEM>(rng() % children.size());
        const HTREEITEM h = tree.InsertItem("x", hParent ? hParent : TVI_ROOT);
        ASSERT_EQ(h, children.size());
        children[hParent].push_back(h);
        children.emplace_back();
    }
    for (HTREEITEM hParent = 0; hParent < children.size(); ++hParent) {
        std::vector<HTREEITEM> seen;
        for (HTREEITEM h = hParent ? tree.GetChildItem(hParent) : tree.GetRootItem(); h;
             h = tree.GetNextSiblingItem(h)) {
            ASSERT_LE(seen.size(), children[hParent].size());
            EXPECT_EQ(tree.GetParentItem(h), hParent);
            seen.push_back(h);
        }
        EXPECT_EQ(seen, children[hParent]) << hParent;
        EXPECT_EQ(tree.ItemHasChildren(hParent), hParent && !children[hParent].empty());
    }
}

} // namespace
