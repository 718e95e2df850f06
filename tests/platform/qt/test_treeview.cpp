// The tree control's Qt view over the tree store.
#include "platform/qt/treemodel.h"
#include "platform/qt/treeview.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// A random tree in pre-order: each item's parent is the item before it or
// one of that item's ancestors.
void FillRandom(CTreeCtrl& ctl, int nItems, unsigned nSeed) {
    std::mt19937 rng(nSeed);
    std::vector<HTREEITEM> path; // ancestors of the next item
    for (int i = 0; i < nItems; ++i) {
        const std::size_t nDepth = path.empty() ? 0 : rng() % (path.size() + 1);
        path.resize(nDepth);
        const HTREEITEM hParent = path.empty() ? TVI_ROOT : path.back();
        const HTREEITEM h = ctl.InsertItem("item " + std::to_string(i), hParent);
        ctl.SetItemData(h, i);
        path.push_back(h);
    }
}

TEST(TreeModel, AgreesWithTheStoreEverywhere) {
    CTreeCtrl ctl;
    FillRandom(ctl, 400, 7);
    CTreeModel model(ctl);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (HTREEITEM h = 1; h <= ctl.GetCount(); ++h) {
        const QModelIndex index = model.IndexOf(h);
        ASSERT_EQ(CTreeModel::ItemOf(index), h);
        EXPECT_EQ(model.index(index.row(), 0, model.parent(index)), index);
        EXPECT_EQ(CTreeModel::ItemOf(model.parent(index)), ctl.GetParentItem(h));
        EXPECT_EQ(model.hasChildren(index), ctl.ItemHasChildren(h));
        EXPECT_EQ(model.data(index).toString(), QStringLiteral("item %1").arg(h - 1));
    }
    EXPECT_FALSE(model.index(0, 1).isValid());
    EXPECT_FALSE(model.index(-1, 0).isValid());
    EXPECT_FALSE(model.index(1 << 30, 0).isValid());
    EXPECT_FALSE(model.IndexOf(0).isValid());
    EXPECT_FALSE(model.IndexOf(ctl.GetCount() + 1).isValid());
}

TEST(TreeModel, CaptionsConvertFromTheCodePage) {
    CTreeCtrl ctl;
    ctl.InsertItem("\xD2\xF3-154 \xAB\xC0\xBB"); // "Ту-154 «А»"
    CTreeModel model(ctl);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Ту-154 «А»"));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
}

class TreeViewTest : public testing::Test {
protected:
    void SetUp() override {
        // A (A1, A2 (A2a)), B (B1)
        m_hA = m_ctl.InsertItem("A");
        m_hA1 = m_ctl.InsertItem("A1", m_hA);
        m_hA2 = m_ctl.InsertItem("A2", m_hA);
        m_hA2a = m_ctl.InsertItem("A2a", m_hA2);
        m_hB = m_ctl.InsertItem("B");
        m_hB1 = m_ctl.InsertItem("B1", m_hB);
        m_view.resize(200, 300);
        m_view.Reset();
        m_view.m_onSelChanged = [this](HTREEITEM hOld, HTREEITEM hNew) {
            m_changes.push_back({hOld, hNew});
        };
        m_view.m_onKeyDown = [this](int nVirtKey) { m_keys.push_back(nVirtKey); };
        m_view.show();
        QApplication::processEvents();
    }

    CTreeCtrl m_ctl;
    CTreeView m_view{m_ctl};
    HTREEITEM m_hA = 0, m_hA1 = 0, m_hA2 = 0, m_hA2a = 0, m_hB = 0, m_hB1 = 0;
    std::vector<std::pair<HTREEITEM, HTREEITEM>> m_changes;
    std::vector<int> m_keys;
};

TEST_F(TreeViewTest, ProgramSelectionNotifiesBeforeReturningAndShowsTheItem) {
    EXPECT_TRUE(m_view.SelectItem(m_hA2a));
    ASSERT_EQ(m_changes.size(), 1u);
    EXPECT_EQ(m_changes[0], std::make_pair(HTREEITEM{0}, m_hA2a));
    EXPECT_TRUE(m_view.isExpanded(m_view.IndexOf(m_hA)));
    EXPECT_TRUE(m_view.isExpanded(m_view.IndexOf(m_hA2)));
    EXPECT_TRUE(m_ctl.IsExpanded(m_hA2));
    EXPECT_EQ(m_view.currentIndex(), m_view.IndexOf(m_hA2a));
    EXPECT_TRUE(m_view.selectionModel()->isSelected(m_view.IndexOf(m_hA2a)));
    EXPECT_FALSE(m_view.GetItemRect(m_hA2a).isEmpty());
    // The same item again changes nothing and notifies nobody.
    EXPECT_TRUE(m_view.SelectItem(m_hA2a));
    EXPECT_EQ(m_changes.size(), 1u);
    // The store's own selection reaches the view too.
    m_ctl.SelectItem(m_hB1);
    ASSERT_EQ(m_changes.size(), 2u);
    EXPECT_EQ(m_changes[1], std::make_pair(m_hA2a, m_hB1));
    EXPECT_EQ(m_view.currentIndex(), m_view.IndexOf(m_hB1));
    EXPECT_FALSE(m_view.SelectItem(999));
}

TEST_F(TreeViewTest, UserSelectionGoesThroughTheStore) {
    m_view.Expand(m_hA, TVE_EXPAND);
    QApplication::processEvents();
    QTest::mouseClick(m_view.viewport(), Qt::LeftButton, {}, m_view.GetItemRect(m_hA1).center());
    EXPECT_EQ(m_ctl.GetSelectedItem(), m_hA1);
    ASSERT_EQ(m_changes.size(), 1u);
    EXPECT_EQ(m_changes[0].second, m_hA1);
    QTest::keyClick(&m_view, Qt::Key_Down);
    EXPECT_EQ(m_ctl.GetSelectedItem(), m_hA2);
    QTest::keyClick(&m_view, Qt::Key_Down); // A2 is closed: B comes next
    EXPECT_EQ(m_ctl.GetSelectedItem(), m_hB);
    EXPECT_EQ(m_changes.size(), 3u);
    EXPECT_EQ(m_keys, (std::vector<int>{VK_DOWN, VK_DOWN}));
}

TEST_F(TreeViewTest, ExpandStateIsSharedBothWays) {
    EXPECT_TRUE(m_view.Expand(m_hB, TVE_EXPAND));
    EXPECT_TRUE(m_view.isExpanded(m_view.IndexOf(m_hB)));
    m_view.collapse(m_view.IndexOf(m_hB)); // as the user's click on the box
    EXPECT_FALSE(m_ctl.IsExpanded(m_hB));
    m_view.expand(m_view.IndexOf(m_hA));
    EXPECT_TRUE(m_ctl.IsExpanded(m_hA));
    EXPECT_TRUE(m_view.Expand(m_hA, TVE_TOGGLE));
    EXPECT_FALSE(m_view.isExpanded(m_view.IndexOf(m_hA)));
}

TEST_F(TreeViewTest, ClosingTheBranchOfTheSelectionSelectsTheBranch) {
    m_view.SelectItem(m_hA2a);
    m_view.collapse(m_view.IndexOf(m_hA));
    EXPECT_EQ(m_ctl.GetSelectedItem(), m_hA);
    EXPECT_EQ(m_changes.back(), std::make_pair(m_hA2a, m_hA));
    // Closing a branch beside the selection leaves it alone.
    m_view.SelectItem(m_hB1);
    m_view.collapse(m_view.IndexOf(m_hA));
    EXPECT_EQ(m_ctl.GetSelectedItem(), m_hB1);
}

TEST_F(TreeViewTest, FocusDoesNotSelect) {
    m_view.setFocus();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&m_view, &focusIn);
    EXPECT_EQ(m_ctl.GetSelectedItem(), 0u);
    EXPECT_TRUE(m_changes.empty());
    EXPECT_FALSE(m_view.currentIndex().isValid());
}

TEST_F(TreeViewTest, SelectionCannotBeTakenAwayByTheUser) {
    m_view.SelectItem(m_hB);
    QTest::mouseClick(m_view.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      m_view.GetItemRect(m_hB).center());
    EXPECT_EQ(m_ctl.GetSelectedItem(), m_hB);
    EXPECT_TRUE(m_view.selectionModel()->isSelected(m_view.IndexOf(m_hB)));
}

TEST_F(TreeViewTest, ResetShowsWhatTheStoreHolds) {
    m_ctl.Expand(m_hB, TVE_EXPAND);
    const HTREEITEM hB2 = m_ctl.InsertItem("B2", m_hB);
    m_ctl.m_onSelChanged = nullptr; // the store alone, no view notified
    m_ctl.SelectItem(hB2);
    CTreeView view(m_ctl);
    view.Reset();
    EXPECT_TRUE(view.isExpanded(view.IndexOf(m_hB)));
    EXPECT_EQ(view.model()->rowCount(view.IndexOf(m_hB)), 2);
    EXPECT_EQ(view.currentIndex(), view.IndexOf(hB2));
}

TEST_F(TreeViewTest, FunctionKeysArriveAsVirtualKeys) {
    for (Qt::Key key : {Qt::Key_F2, Qt::Key_F3, Qt::Key_A, Qt::Key_5, Qt::Key_Return})
        QTest::keyClick(&m_view, key);
    EXPECT_EQ(m_keys, (std::vector<int>{VK_F2, VK_F3, 'A', '5', VK_RETURN}));
    EXPECT_EQ(CTreeView::VirtualKeyOf(Qt::Key_F12), 0x7B);
    EXPECT_EQ(CTreeView::VirtualKeyOf(Qt::Key_VolumeUp), 0);
}

TEST_F(TreeViewTest, DrawsLinesAndBoxes) {
    m_view.SelectItem(m_hA2a);
    QApplication::processEvents();
    const QImage image = m_view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The column left of A's caption holds a box and dotted grey lines.
    const QRect rcA = m_view.GetItemRect(m_hA);
    int nGrey = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < rcA.left(); ++x)
            nGrey += image.pixel(x, y) == qRgb(128, 128, 128);
    EXPECT_GT(nGrey, 20);
}

} // namespace
