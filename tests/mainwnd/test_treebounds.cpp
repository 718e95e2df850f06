#include "data/databasefiles.h"
#include "data/stringpoolfile.h"
#include "mainwnd/typetree.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Ten top-level records, all captioned by the pool string at offset 0.
class TreeBounds : public testing::Test {
protected:
    void Write(const std::string& strCaption) {
        CDbWriter db;
        db.AddPoolBytes(strCaption);
        for (int i = 0; i < 10; ++i)
            db.AddTree(-1, i, 0);
        db.Write(m_dir.Path());
        m_files.Open(m_dir.Path());
    }

    CTempDir m_dir;
    CDatabaseFiles m_files;
    CTreeCtrl m_ctl;
    CTypeTree m_tree{m_ctl, m_files, nullptr};
};

TEST_F(TreeBounds, TheBuildStopsAtTheItemBound) {
    Write(std::string("abc\0", 4));
    m_tree.m_nMaxItems = 4;
    m_tree.Build();
    EXPECT_EQ(m_ctl.GetCount(), 4u);
    EXPECT_TRUE(m_tree.m_bBoundReached);
    EXPECT_EQ(m_ctl.GetItemData(m_tree.GetItemAtPosition(3)), 3);

    m_tree.m_nMaxItems = 10; // exactly the file: nothing left out
    m_ctl.DeleteAllItems();
    m_tree.Build();
    EXPECT_EQ(m_ctl.GetCount(), 10u);
    EXPECT_FALSE(m_tree.m_bBoundReached);
}

TEST_F(TreeBounds, TheBuildStopsAtTheCaptionBound) {
    Write(std::string(100, 'c') + '\0');
    m_tree.m_nMaxCaptionBytes = 350;
    m_tree.Build();
    EXPECT_EQ(m_ctl.GetCount(), 3u);
    EXPECT_TRUE(m_tree.m_bBoundReached);
}

// Every record names one string of a pool without a NUL: each caption is cut
// at the string bound instead of copying the whole pool.
TEST_F(TreeBounds, ALongStringIsCutForEveryItem) {
    Write(std::string(2 << 20, 'x'));
    m_tree.Build();
    ASSERT_EQ(m_ctl.GetCount(), 10u);
    for (std::int32_t n = 0; n < 10; ++n)
        ASSERT_EQ(m_ctl.GetItemText(m_tree.GetItemAtPosition(n)).size(),
                  CStringPoolFile::kMaxStringBytes);
}

// Finding one position walks the records without the store: it must stop
// where the build stops, bounds included.
TEST_F(TreeBounds, FindingAPositionStopsWhereTheBuildStops) {
    Write(std::string(100, 'c') + '\0');
    for (const auto& [nMaxItems, nMaxCaptionBytes] :
         {std::pair{10u, 1000u}, {4u, 1000u}, {10u, 350u}, {10u, 300u}, {0u, 1000u}}) {
        m_tree.m_nMaxItems = nMaxItems;
        m_tree.m_nMaxCaptionBytes = nMaxCaptionBytes;
        m_ctl.DeleteAllItems();
        m_tree.Build();
        CTreeCtrl ctlUntouched;
        CTypeTree finder(ctlUntouched, m_files, nullptr);
        finder.m_nMaxItems = nMaxItems;
        finder.m_nMaxCaptionBytes = nMaxCaptionBytes;
        for (std::int32_t n = -1; n <= 11; ++n) {
            const HTREEITEM h = m_tree.GetItemAtPosition(n);
            const std::optional<std::int32_t> nData = finder.FindItemData(n);
            ASSERT_EQ(nData.has_value(), h != 0)
                << nMaxItems << " " << nMaxCaptionBytes << " " << n;
            if (nData) {
                EXPECT_EQ(*nData, m_ctl.GetItemData(h)) << n;
            }
        }
        EXPECT_EQ(ctlUntouched.GetCount(), 0u);
    }
}

} // namespace
