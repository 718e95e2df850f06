// The sample database as a user first sees it: every value of every type
// stands in its pane of the fixed dialogs, with nothing to scroll to.
#include "data/databasefiles.h"
#include "platform/cp1251.h"
#include "platform/qt/richeditview.h"
#include "platform/qt/treeview.h"
#include "viewer/databaseapp.h"
#include "viewer/extradatadialog.h"
#include "viewer/maindialog.h"

#include <QApplication>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// What a pane hides: the scroll range its text needs beyond the view.
std::string Hidden(CRichEditView& view) {
    view.Refresh();
    QApplication::processEvents();
    std::string strHidden;
    if (view.horizontalScrollBar()->maximum() > 0)
        strHidden +=
            " cut on the right by " + std::to_string(view.horizontalScrollBar()->maximum()) + " px";
    if (view.verticalScrollBar()->maximum() > 0)
        strHidden +=
            " cut at the bottom by " + std::to_string(view.verticalScrollBar()->maximum()) + " px";
    return strHidden;
}

TEST(SampleDatabase, EveryValueOfEveryTypeIsVisibleWithoutScrolling) {
    CDatabaseApp app;
    std::vector<std::string> warnings;
    app.m_fileErrors.m_sink = [&](const std::string&, const std::string& strText) {
        warnings.push_back(strText);
    };
    app.m_strDataDir = VERLUMO_SAMPLE_DB_DIR;
    app.OpenDataFiles();
    app.ReportUnopenedFiles();
    ASSERT_TRUE(warnings.empty()) << warnings.front();

    std::int32_t nFirstItem = -1;
    CMainDialog dlg(&nFirstItem, nullptr, &app);
    dlg.Create();
    CTypeTree& tree = dlg.GetTypeTree();
    int nTypes = 0;
    for (HTREEITEM h = tree.GetNextTreeItem(0); h; h = tree.GetNextTreeItem(h)) {
        if (tree.m_ctlTree.GetItemData(h) < 0)
            continue;
        ++nTypes;
        dlg.GetTreeView()->SelectItem(h);
        dlg.SendTimerMessage(dlg.m_nTimerID);
        const std::string strType = cp1251::ToUtf8(tree.m_ctlTree.GetItemText(h));
        for (int nID : {CMainDialog::IDC_GENERAL, CMainDialog::IDC_SPECS, CMainDialog::IDC_SPEEDS})
            EXPECT_EQ(Hidden(*dlg.GetPaneView(nID)), "") << strType << ", pane " << nID;

        CExtraDataDialog extra(dlg.m_Card, app, app.m_strDataDir, &dlg);
        extra.m_pMessages = &app.m_fileErrors;
        extra.show();
        for (int nID : {CExtraDataDialog::IDC_STRIPS, CExtraDataDialog::IDC_SPEEDS,
                        CExtraDataDialog::IDC_SPECS})
            EXPECT_EQ(Hidden(*extra.GetPaneView(nID)), "")
                << strType << ", additional data pane " << nID;
        extra.hide();
    }
    EXPECT_GT(nTypes, 50);
    EXPECT_TRUE(warnings.empty());
    dlg.hide();
}

} // namespace
