#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Record {
    std::int32_t nParent;
    std::int32_t nItem;
    std::string strCaption;
};

// Builds the tree of a Tree.dat made of the given records and describes it
// as "caption(children)" with item data, for comparison in one line.
class TypeTreeTest : public testing::Test {
protected:
    void Build(const std::vector<Record>& records, std::int32_t nFirstItem = -1,
               const std::string& strTail = "") {
        CDbWriter db;
        for (const Record& r : records)
            db.AddTreeNamed(r.nParent, r.nItem, r.strCaption);
        db.AppendTreeBytes(strTail);
        db.Write(m_dir.Path());
        m_files.Open(m_dir.Path());
        m_nFirstItem = nFirstItem;
        m_tree.Build();
    }

    std::string Describe() const {
        std::string out;
        std::vector<HTREEITEM> stack;
        for (HTREEITEM h = m_ctl.GetRootItem(); h;) {
            out += m_ctl.GetItemText(h) + "[" + std::to_string(m_ctl.GetItemData(h)) + "]";
            if (m_ctl.ItemHasChildren(h)) {
                out += "(";
                stack.push_back(h);
                h = m_ctl.GetChildItem(h);
                continue;
            }
            HTREEITEM hNext = m_ctl.GetNextSiblingItem(h);
            while (!hNext && !stack.empty()) {
                out += ")";
                hNext = m_ctl.GetNextSiblingItem(stack.back());
                stack.pop_back();
            }
            if (hNext)
                out += " ";
            h = hNext;
        }
        return out;
    }

    std::vector<std::string> Walk() const {
        std::vector<std::string> captions;
        for (HTREEITEM h = m_ctl.GetRootItem(); h; h = m_tree.GetNextTreeItem(h))
            captions.push_back(m_ctl.GetItemText(h));
        return captions;
    }

    CTempDir m_dir;
    CDatabaseFiles m_files;
    CTreeCtrl m_ctl;
    std::int32_t m_nFirstItem = -1;
    CTypeTree m_tree{m_ctl, m_files, &m_nFirstItem};
};

const std::vector<Record> kWorkedExample = {
    {-1, -1, "A"}, {0, 5, "A1"}, {0, -1, "A2"}, {2, 7, "A2a"}, {-1, 9, "B"}};

TEST_F(TypeTreeTest, WorkedExample) {
    Build(kWorkedExample);
    EXPECT_EQ(Describe(), "A[-1](A1[5] A2[-1](A2a[7])) B[9]");
    EXPECT_EQ(Walk(), (std::vector<std::string>{"A", "A1", "A2", "A2a", "B"}));
    EXPECT_EQ(m_tree.m_hSelectedItem, 0u);
}

TEST_F(TypeTreeTest, OneRecordClosesTwoLevels) {
    Build({{-1, -1, "A"}, {0, -1, "B"}, {1, -1, "C"}, {-1, -1, "D"}});
    EXPECT_EQ(Describe(), "A[-1](B[-1](C[-1])) D[-1]");
}

TEST_F(TypeTreeTest, RecordOfAClosedBranchEndsTheBuild) {
    Build({{-1, 1, "A"}, {0, 2, "B"}, {-1, 3, "C"}, {1, 4, "late"}, {-1, 5, "never"}});
    EXPECT_EQ(Describe(), "A[1](B[2]) C[3]");
}

TEST_F(TypeTreeTest, ForwardParentEndsTheBuild) {
    Build({{-1, 1, "A"}, {5, 2, "B"}, {-1, 3, "C"}});
    EXPECT_EQ(Describe(), "A[1]");
}

TEST_F(TypeTreeTest, FirstRecordNotAtTheTopGivesAnEmptyTree) {
    Build({{0, 1, "A"}, {-1, 2, "B"}});
    EXPECT_EQ(m_ctl.GetCount(), 0u);
}

TEST_F(TypeTreeTest, EmptyAndMissingTreeFiles) {
    Build({});
    EXPECT_EQ(m_ctl.GetCount(), 0u);
    EXPECT_EQ(m_tree.GetNextTreeItem(0), 0u);

    CDatabaseFiles noFiles;
    CTreeCtrl ctl;
    CTypeTree tree(ctl, noFiles, nullptr);
    tree.Build(); // a tree file that never opened builds nothing
    EXPECT_EQ(ctl.GetCount(), 0u);
}

TEST_F(TypeTreeTest, TrailingFragmentIsNotARecord) {
    std::vector<Record> records;
    for (int i = 0; i < 5; ++i)
        records.push_back({-1, i, "R" + std::to_string(i)});
    Build(records, -1, std::string(7, '\0'));
    EXPECT_EQ(m_ctl.GetCount(), 5u);
}

TEST_F(TypeTreeTest, RememberedPositionSelectsByRecordNumber) {
    // Positions past the tree or negative select nothing.
    for (const auto& [nPosition, pszCaption] : std::vector<std::pair<std::int32_t, const char*>>{
             {3, "A2a"}, {0, "A"}, {4, "B"}, {5, nullptr}, {100, nullptr}, {-1, nullptr}}) {
        m_ctl.DeleteAllItems();
        m_tree.m_hSelectedItem = 0;
        Build(kWorkedExample, nPosition);
        if (!pszCaption) {
            EXPECT_EQ(m_tree.m_hSelectedItem, 0u) << nPosition;
            continue;
        }
        EXPECT_EQ(m_ctl.GetItemText(m_tree.m_hSelectedItem), pszCaption);
        EXPECT_EQ(m_tree.GetItemPosition(m_tree.m_hSelectedItem), nPosition);
    }
}

TEST_F(TypeTreeTest, NegativeCaptionOffsetGivesAnEmptyCaption) {
    CDbWriter db;
    db.AddTreeNamed(-1, -1, "A");
    db.AddTree(0, 1, -7);
    db.AddTree(0, 2, 1 << 30);
    db.AddTreeNamed(-1, 3, "B");
    db.Write(m_dir.Path());
    m_files.Open(m_dir.Path());
    m_tree.Build();
    EXPECT_EQ(Describe(), "A[-1]([1] [2]) B[3]");
}

// The walk steps through handles; it must be the pre-order of the links.
TEST_F(TypeTreeTest, WalkIsThePreOrderOfTheChildAndSiblingLinks) {
    // The second file names a parent that closed before: whatever the build
    // makes of it, the walk must follow the links it made.
    for (const std::vector<Record>& records :
         {kWorkedExample,
          std::vector<Record>{
              {-1, -1, "A"}, {0, -1, "B"}, {-1, 1, "C"}, {0, 2, "D"}, {1, 3, "E"}}}) {
        m_ctl.DeleteAllItems();
        Build(records);
        std::vector<std::string> linked;
        std::vector<HTREEITEM> stack = {m_ctl.GetRootItem()};
        while (!stack.empty()) {
            const HTREEITEM h = stack.back();
            stack.pop_back();
            if (!h)
                continue;
            linked.push_back(m_ctl.GetItemText(h));
            stack.push_back(m_ctl.GetNextSiblingItem(h));
            stack.push_back(m_ctl.GetChildItem(h));
        }
        EXPECT_EQ(Walk(), linked);
        EXPECT_EQ(linked.size(), m_ctl.GetCount());
    }
}

TEST_F(TypeTreeTest, WalkIgnoresExpandStateAndEndsAfterTheDeepestLastItem) {
    Build(kWorkedExample);
    const HTREEITEM a = m_ctl.GetRootItem();
    EXPECT_FALSE(m_ctl.IsExpanded(a));
    EXPECT_EQ(m_ctl.GetItemText(m_tree.GetNextTreeItem(a)), "A1");
    const HTREEITEM a2a = m_tree.GetItemAtPosition(3);
    EXPECT_EQ(m_ctl.GetItemText(m_tree.GetNextTreeItem(a2a)), "B");
    EXPECT_EQ(m_tree.GetNextTreeItem(m_tree.GetItemAtPosition(4)), 0u);
    EXPECT_EQ(m_tree.GetNextTreeItem(0), a); // from nothing: the first top-level item
}

// The depth is the file's to choose; the build must not use the call stack for it.
TEST_F(TypeTreeTest, DeepChainBuildsWithoutRecursion) {
    constexpr int kDepth = 200000;
    CDbWriter db;
    const std::int32_t nName = db.AddString("x");
    for (int i = 0; i < kDepth; ++i)
        db.AddTree(i - 1, i, nName);
    db.AddTree(-1, -1, db.AddString("last"));
    db.Write(m_dir.Path());
    m_files.Open(m_dir.Path());
    m_nFirstItem = kDepth - 1;
    m_tree.Build();
    ASSERT_EQ(m_ctl.GetCount(), static_cast<std::uint32_t>(kDepth + 1));
    EXPECT_EQ(m_tree.GetItemPosition(m_tree.m_hSelectedItem), kDepth - 1);
    EXPECT_EQ(m_ctl.GetItemText(m_tree.GetNextTreeItem(m_tree.m_hSelectedItem)), "last");
    int nDepth = 0;
    for (HTREEITEM h = m_tree.m_hSelectedItem; h; h = m_ctl.GetParentItem(h))
        ++nDepth;
    EXPECT_EQ(nDepth, kDepth);
}

// Records come in batches and captions straight from the pool's blocks: a
// tree that spans several batches, with levels closing across batch ends,
// captions straddling block ends and a build that stops at a record out of
// order far into the file, must come out exactly as record-by-record.
TEST_F(TypeTreeTest, ManyBatchesBuildAsOneRecordAtATime) {
    constexpr int kGroups = 900; // each with a group record and 10 types
    constexpr int kRecords = kGroups * 11;
    CDbWriter db;
    std::vector<std::string> captions;
    std::int32_t nGroup = -1;
    for (int i = 0; i < kRecords; ++i) {
        // Lengths from 1 to 97 bytes put caption ends on every block offset.
        std::string strCaption = std::to_string(i) + std::string(i % 97, 'a' + i % 26);
        if (i % 11 == 0) {
            nGroup = i;
            db.AddTreeNamed(-1, -1, strCaption);
        } else {
            db.AddTreeNamed(nGroup, i, strCaption);
        }
        captions.push_back(strCaption);
    }
    db.AddTreeNamed(5, 1, "stale parent: the build ends here");
    db.AddTreeNamed(-1, 2, "never read");
    db.AppendTreeBytes(std::string(5, '\x01'));
    db.Write(m_dir.Path());
    m_files.Open(m_dir.Path());
    m_nFirstItem = kRecords - 1;
    m_tree.Build();
    ASSERT_EQ(m_ctl.GetCount(), static_cast<std::uint32_t>(kRecords));
    EXPECT_EQ(Walk(), captions);
    EXPECT_EQ(m_tree.GetItemPosition(m_tree.m_hSelectedItem), kRecords - 1);
    for (int i : {1, 4095, 4096, 4097, kRecords - 1}) {
        const HTREEITEM h = m_tree.GetItemAtPosition(i);
        EXPECT_EQ(m_ctl.GetItemData(h), i % 11 == 0 ? -1 : i) << i;
        EXPECT_EQ(m_ctl.GetParentItem(h), i % 11 == 0 ? 0 : m_tree.GetItemAtPosition(i - i % 11))
            << i;
    }
}

// Every position the build fills, and none it leaves empty, is found from
// the records alone with the same item data: nested levels, a record out of
// order, a forward parent, a trailing fragment.
TEST_F(TypeTreeTest, FindItemDataAgreesWithTheBuild) {
    const std::vector<std::vector<Record>> shapes = {
        kWorkedExample,
        {{-1, -1, "A"}, {0, -1, "B"}, {1, 3, "C"}, {-1, 4, "D"}, {1, 5, "stale"}, {-1, 6, "E"}},
        {{-1, 1, "A"}, {3, 2, "forward"}, {-1, 3, "B"}},
        {{0, 1, "not at the top"}, {-1, 2, "A"}},
        {}};
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        m_ctl.DeleteAllItems();
        Build(shapes[i], -1, "\x01\x02");
        CTreeCtrl ctlUntouched;
        CTypeTree finder(ctlUntouched, m_files, nullptr);
        for (std::int32_t n = -2; n < 8; ++n) {
            const HTREEITEM h = m_tree.GetItemAtPosition(n);
            const std::optional<std::int32_t> nData = finder.FindItemData(n);
            ASSERT_EQ(nData.has_value(), h != 0) << "shape " << i << ", position " << n;
            if (nData) {
                EXPECT_EQ(*nData, m_ctl.GetItemData(h)) << "shape " << i << ", position " << n;
            }
        }
        EXPECT_EQ(ctlUntouched.GetCount(), 0u);
    }
    CDatabaseFiles noFiles;
    CTreeCtrl ctl;
    EXPECT_FALSE(CTypeTree(ctl, noFiles, nullptr).FindItemData(0));
}

} // namespace
