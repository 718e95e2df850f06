// The picture viewer opened from the main dialog, driven by keys, clicks and
// focus changes, checked by its state and its pixels.
#include "viewer/picturedb.h"
#include "viewer/picturetoolbar.h"
#include "viewer/picturewnd.h"
#include "viewer/toolbarbitmap.h"

#include <QAction>
#include <QTest>
#include <QToolBar>

namespace {

class CCountingDialog : public CMainDialog {
public:
    using CMainDialog::CMainDialog;
    void ScanPictures() override {
        ++m_nScans;
        CMainDialog::ScanPictures();
    }
    int m_nScans = 0;
};

class PictureWndTest : public CPictureDialogTest<CCountingDialog> {
protected:
    void Open() {
        Button(CMainDialog::IDC_IMAGES)->click();
        QApplication::processEvents();
    }
    // The viewer on the first type, opened as its button does.
    void StartViewer(const std::vector<CTypePictures>& types) {
        Start(types);
        ShowCard(1);
        Open();
    }
    CPictureWnd& Wnd() { return m_pDlg->m_wndPictures; }
    QAction* ActionFor(unsigned nID) {
        for (QAction* pAction : Wnd().m_pToolBar->actions())
            if (!pAction->isSeparator() && pAction->data().toUInt() == nID)
                return pAction;
        return nullptr;
    }
    QWidget* ButtonFor(unsigned nID) { return Wnd().m_pToolBar->widgetForAction(ActionFor(nID)); }
    // Prev and next as the toolbar reports them.
    std::pair<bool, bool> Arrows() {
        return {Wnd().IsButtonEnabled(ID_PICTURE_PREV), Wnd().IsButtonEnabled(ID_PICTURE_NEXT)};
    }
    // The client area below the toolbar band.
    QImage PictureArea() {
        const QImage client = Wnd().GetClientWindow()->grab().toImage();
        return client.copy(0, Wnd().m_nToolBarHeight, client.width(),
                           client.height() - Wnd().m_nToolBarHeight);
    }
    void Key(Qt::Key key) {
        QTest::keyClick(&Wnd(), key);
        QApplication::processEvents();
    }
};

const CPicturePattern kPreview{100, 50};

TEST_F(PictureWndTest, OnePictureHasNoWayToStep) {
    const CPicturePattern picture{60, 40};
    StartViewer({CTypePictures{kPreview, {picture}}});
    ASSERT_TRUE(Wnd().IsWindow());
    EXPECT_TRUE(Wnd().isActiveWindow());
    EXPECT_EQ(Arrows(), std::make_pair(false, false));
    EXPECT_TRUE(Wnd().IsButtonEnabled(ID_PICTURE_CLOSE));
    Key(Qt::Key_Right);
    Key(Qt::Key_Left);
    EXPECT_EQ(m_pDlg->m_Card.m_nCurrentPicture, 0);
    ASSERT_TRUE(Wnd().IsWindow());
    // The client is 60 x 40 below the band: the picture fills it.
    EXPECT_TRUE(ShowsPattern(PictureArea(), picture, {0, 0}));
    EXPECT_TRUE(m_warnings.empty());
}

TEST_F(PictureWndTest, ThreePicturesStepByButtonsAndKeys) {
    const std::vector<CPicturePattern> series = {{60, 40}, {30, 20}, {61, 9}};
    StartViewer({CTypePictures{kPreview, series}});
    ASSERT_TRUE(Wnd().IsWindow());
    // The client area is as large as the largest width and height, below the band.
    ASSERT_EQ(Wnd().GetClientRect().size(), QSize(61, 40 + 30));
    EXPECT_EQ(Wnd().size(),
              QSize(61 + 2 * CPictureWnd::kDlgFrame, 70 + 2 * CPictureWnd::kDlgFrame));
    EXPECT_EQ(Wnd().geometry(), QRect(m_pDlg->m_rcViewer.left, m_pDlg->m_rcViewer.top,
                                      m_pDlg->m_rcViewer.Width(), m_pDlg->m_rcViewer.Height()));
    const auto expectShown = [&](int k, std::pair<bool, bool> arrows) {
        EXPECT_EQ(m_pDlg->m_Card.m_nCurrentPicture, k);
        EXPECT_EQ(Arrows(), arrows) << "picture " << k;
        const CPicturePattern& pattern = series[static_cast<std::size_t>(k)];
        EXPECT_TRUE(ShowsPattern(PictureArea(), pattern,
                                 {(61 - pattern.nWidth) / 2, (40 - pattern.nHeight) / 2}))
            << "picture " << k;
    };
    expectShown(0, {false, true});
    QTest::mouseClick(ButtonFor(ID_PICTURE_NEXT), Qt::LeftButton);
    expectShown(1, {true, true});
    Key(Qt::Key_Right);
    expectShown(2, {true, false});
    // At the end the key does what the disabled button would: nothing.
    Key(Qt::Key_Right);
    expectShown(2, {true, false});
    Key(Qt::Key_Left);
    expectShown(1, {true, true});
    QTest::mouseClick(ButtonFor(ID_PICTURE_PREV), Qt::LeftButton);
    expectShown(0, {false, true});
    Key(Qt::Key_Left);
    expectShown(0, {false, true});
    EXPECT_TRUE(Wnd().IsWindow());
}

TEST_F(PictureWndTest, SecondOpeningKeepsTheListAndTheSize) {
    const std::vector<CPicturePattern> series = {{40, 30}, {80, 20}};
    StartViewer({CTypePictures{kPreview, series}});
    const QSize size = Wnd().size();
    Key(Qt::Key_Right);
    Key(Qt::Key_Escape);
    ASSERT_FALSE(Wnd().IsWindow());
    Open();
    ASSERT_TRUE(Wnd().IsWindow());
    EXPECT_EQ(m_pDlg->m_nScans, 1);
    EXPECT_EQ(Wnd().size(), size);
    EXPECT_EQ(m_pDlg->m_Card.m_nCurrentPicture, 0);
    EXPECT_EQ(Arrows(), std::make_pair(false, true));
    EXPECT_TRUE(ShowsPattern(PictureArea(), series[0], {20, 0}));
    // Another card makes a new list.
    Key(Qt::Key_Escape);
    ShowCard(0);
    ShowCard(1);
    Open();
    EXPECT_EQ(m_pDlg->m_nScans, 2);
}

enum class ECloseBy { escape, pictureClick, exitButton, focusLoss, closeEvent };

class PictureWndClosing : public PictureWndTest, public testing::WithParamInterface<ECloseBy> {};

TEST_P(PictureWndClosing, ClosesAndLeavesTheListForNextTime) {
    StartViewer({CTypePictures{kPreview, {{200, 100}, {20, 10}}}});
    ASSERT_TRUE(Wnd().IsWindow());
    ASSERT_TRUE(Wnd().isActiveWindow());
    QWidget* pClient = Wnd().GetClientWindow();
    switch (GetParam()) {
    case ECloseBy::escape:
        Key(Qt::Key_Escape);
        break;
    case ECloseBy::pictureClick:
        QTest::mouseClick(pClient, Qt::LeftButton, {}, QPoint(5, pClient->height() - 5));
        break;
    case ECloseBy::exitButton:
        QTest::mouseClick(ButtonFor(ID_PICTURE_CLOSE), Qt::LeftButton);
        break;
    case ECloseBy::focusLoss:
        m_pDlg->activateWindow();
        break;
    case ECloseBy::closeEvent:
        Wnd().close();
        break;
    }
    QApplication::processEvents();
    EXPECT_FALSE(Wnd().IsWindow());
    EXPECT_FALSE(Wnd().isVisible());
    EXPECT_EQ(Wnd().m_pToolBar, nullptr);
    EXPECT_TRUE(m_pDlg->isActiveWindow());
    EXPECT_EQ(m_pDlg->m_Card.m_pictureOffsets.size(), 2u);
    EXPECT_TRUE(m_warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, PictureWndClosing,
                         testing::Values(ECloseBy::escape, ECloseBy::pictureClick,
                                         ECloseBy::exitButton, ECloseBy::focusLoss,
                                         ECloseBy::closeEvent));

TEST_F(PictureWndTest, ClicksOffThePictureDoNotClose) {
    StartViewer({CTypePictures{kPreview, {{200, 100}, {20, 10}}}});
    QWidget* pClient = Wnd().GetClientWindow();
    // The toolbar band beside the buttons, the frame, and the right button.
    const int xBesideButtons = ButtonFor(ID_PICTURE_CLOSE)->geometry().right() + 5;
    ASSERT_LT(xBesideButtons, pClient->width());
    QTest::mouseClick(Wnd().m_pToolBar, Qt::LeftButton, {}, QPoint(xBesideButtons, 10));
    QTest::mouseClick(&Wnd(), Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseClick(pClient, Qt::RightButton, {}, QPoint(5, pClient->height() - 5));
    // A disabled arrow is no command either.
    QTest::mouseClick(ButtonFor(ID_PICTURE_PREV), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(Wnd().IsWindow());
    EXPECT_EQ(m_pDlg->m_Card.m_nCurrentPicture, 0);
}

TEST_F(PictureWndTest, ToolBarButtonsWithTipsWithoutFocus) {
    StartViewer({CTypePictures{kPreview, {{200, 100}}}});
    for (unsigned nID : {ID_PICTURE_PREV, ID_PICTURE_NEXT, ID_PICTURE_CLOSE}) {
        ASSERT_NE(ButtonFor(nID), nullptr) << nID;
        EXPECT_EQ(ActionFor(nID)->toolTip(), QString::fromUtf8(ToolTipText(nID)));
        EXPECT_FALSE(ActionFor(nID)->toolTip().isEmpty());
        EXPECT_EQ(ButtonFor(nID)->size(), QSize(41, 22));
        EXPECT_EQ(ButtonFor(nID)->focusPolicy(), Qt::NoFocus);
    }

    const QImage bitmap = ToolBarBitmap();
    ASSERT_EQ(bitmap.size(), QSize(102, 15));
    int nBlack[3] = {};
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 102; ++x) {
            const QRgb rgb = bitmap.pixel(x, y);
            ASSERT_TRUE(rgb == qRgb(0, 0, 0) || rgb == qRgb(192, 192, 192)) << x << ", " << y;
            nBlack[x / 34] += rgb == qRgb(0, 0, 0);
            // The chevrons mirror each other.
            if (x < 34) {
                EXPECT_EQ(rgb, bitmap.pixel(67 - x, y));
            }
        }
    EXPECT_GT(nBlack[0], 0);
    EXPECT_GT(nBlack[2], 0);
}

// F2 on a new selection opens the viewer on the card still shown; the timer
// then shows the new card and must take the viewer away first.
TEST_F(PictureWndTest, ShowingAnotherCardClosesTheViewer) {
    Start({CTypePictures{kPreview, {{40, 30}, {40, 30}}}, CTypePictures{kPreview, {{90, 10}}}});
    ShowCard(1);
    Select(2);
    Open();
    ASSERT_TRUE(Wnd().IsWindow());
    m_pDlg->SendTimerMessage(m_pDlg->m_nTimerID);
    QApplication::processEvents();
    EXPECT_FALSE(Wnd().IsWindow());
    EXPECT_TRUE(m_pDlg->m_Card.m_pictureOffsets.empty());
    Open();
    ASSERT_TRUE(Wnd().IsWindow());
    EXPECT_EQ(Wnd().GetClientRect().size(), QSize(90, 40));
    EXPECT_TRUE(ShowsPattern(PictureArea(), {90, 10}, {0, 0}));
}

// Each type stands last in its file, so what follows its records is the end.
struct CShortSeriesRow {
    const char* pszName;
    CTypePictures type;
    std::size_t nFound;
};

void PrintTo(const CShortSeriesRow& row, std::ostream* pOut) {
    *pOut << row.pszName;
}

std::string CutRecord(std::size_t nLength) {
    std::string str = PatternRecord({40, 30});
    str.resize(nLength);
    return str;
}

class PictureWndShortSeries : public PictureWndTest,
                              public testing::WithParamInterface<CShortSeriesRow> {};

TEST_P(PictureWndShortSeries, HoldsOnlyTheRecordsThatAreThere) {
    const CShortSeriesRow& row = GetParam();
    StartViewer({row.type});
    EXPECT_EQ(m_pDlg->m_Card.m_pictureOffsets.size(), row.nFound);
    // No viewer opens on nothing.
    ASSERT_EQ(Wnd().IsWindow(), row.nFound > 0);
    if (row.nFound == 0)
        return;
    for (std::size_t k = 1; k < row.nFound + 2; ++k)
        Key(Qt::Key_Right);
    EXPECT_EQ(m_pDlg->m_Card.m_nCurrentPicture, static_cast<std::int32_t>(row.nFound) - 1);
    EXPECT_FALSE(Wnd().IsButtonEnabled(ID_PICTURE_NEXT));
    EXPECT_TRUE(m_warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, PictureWndShortSeries,
    testing::Values(
        CShortSeriesRow{"CountOfAMillion", CTypePictures{kPreview, {{40, 30}, {50, 20}}, 1000000},
                        2},
        CShortSeriesRow{"HeaderCutShort", CTypePictures{kPreview, {{40, 30}}, 3, CutRecord(39)}, 1},
        // A whole header is enough to count; the stream then ends early.
        CShortSeriesRow{"StreamCutShort", CTypePictures{kPreview, {{40, 30}}, 3, CutRecord(60)}, 2},
        CShortSeriesRow{"NothingBehindThePreview", CTypePictures{kPreview, {}, 2}, 0}),
    [](const testing::TestParamInfo<CShortSeriesRow>& info) { return info.param.pszName; });

TEST_F(PictureWndTest, SeriesStartsBehindAPreviewThatIsNotShown) {
    const CPicturePattern preview{100, 50, 24};
    const CPicturePattern picture{30, 20};
    StartViewer({CTypePictures{preview, {picture}}});
    ASSERT_FALSE(m_pDlg->m_bPreview);
    ASSERT_EQ(m_pDlg->m_Card.m_pictureOffsets.size(), 1u);
    EXPECT_EQ(m_pDlg->m_Card.m_pictureOffsets[0],
              static_cast<std::uint32_t>(m_offsets[0]) + PatternRecord(preview).size());
    EXPECT_TRUE(ShowsPattern(PictureArea(), picture, {0, 0}));
}

TEST_F(PictureWndTest, EveryDepthTheDecoderTakesIsShown) {
    std::string strBad = PatternRecord({40, 30});
    strBad[12] = 2; // biPlanes
    const std::vector<CPicturePattern> series = {{40, 30, 1}, {40, 30, 4}, {40, 30, 24}};
    StartViewer({CTypePictures{kPreview, series, 4, strBad}});
    for (const CPicturePattern& pattern : series) {
        EXPECT_TRUE(ShowsPattern(PictureArea(), pattern, {0, 0})) << pattern.nBitCount;
        Key(Qt::Key_Right);
    }
    // A record the DIB section refuses leaves the area grey.
    EXPECT_EQ(m_pDlg->m_Card.m_nCurrentPicture, 3);
    EXPECT_TRUE(IsPlainGrey(PictureArea()));
}

TEST_F(PictureWndTest, ReadErrorIsReportedAtTheMessageBoundary) {
    StartViewer({CTypePictures{kPreview, {{40, 30}, {40, 30}}}});
    m_app.m_filePictures.Close();
    Key(Qt::Key_Right);
    EXPECT_EQ(m_warnings.size(), 1u);
    EXPECT_TRUE(Wnd().IsWindow());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Wnd().IsWindow());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
