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

} // namespace
