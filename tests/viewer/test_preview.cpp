// The preview area of the main dialog, checked by its pixels.
#include "viewer/picturedb.h"

namespace {

class PreviewTest : public CPictureDialogTest<CMainDialog> {
protected:
    // The 240 x 160 area inside the control's border, as it is painted now.
    QImage Area() const {
        return m_pDlg->GetDlgItem(CMainDialog::IDC_PREVIEW)
            ->grab()
            .toImage()
            .copy(1, 1, CMainDialog::kPreviewWidth, CMainDialog::kPreviewHeight);
    }
};

struct CPlacementRow {
    CPicturePattern preview;
    QPoint at;
};

void PrintTo(const CPlacementRow& row, std::ostream* pOut) {
    *pOut << row.preview.nWidth << " x " << row.preview.nHeight;
}

class PreviewPlacement : public PreviewTest, public testing::WithParamInterface<CPlacementRow> {};

TEST_P(PreviewPlacement, CentredUnscaledAndCutOnBothSides) {
    const CPicturePattern& preview = GetParam().preview;
    Start({CTypePictures{preview, {{20, 10}}}});
    ShowCard(1);
    EXPECT_TRUE(m_pDlg->m_bPreview);
    EXPECT_TRUE(ShowsPattern(Area(), preview, GetParam().at));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PreviewPlacement,
    testing::Values(CPlacementRow{{240, 160}, {0, 0}}, CPlacementRow{{100, 50}, {70, 55}},
                    // (240 - 239) / 2 and (240 - 241) / 2 both truncate to 0.
                    CPlacementRow{{239, 160}, {0, 0}}, CPlacementRow{{241, 160}, {0, 0}},
                    CPlacementRow{{244, 160}, {-2, 0}}, CPlacementRow{{1, 1}, {119, 79}},
                    CPlacementRow{{300, 165}, {-30, -2}}));

TEST_F(PreviewTest, RepaintsNeedNoFile) {
    const CPicturePattern preview{100, 50};
    Start({CTypePictures{preview, {{20, 10}}}});
    ShowCard(1);
    // Any read now would raise, and be reported.
    m_app.m_filePictures.Close();
    m_pDlg->showMinimized();
    QApplication::processEvents();
    m_pDlg->showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(ShowsPattern(Area(), preview, {70, 55}));
    m_pDlg->GetDlgItem(CMainDialog::IDC_PREVIEW)->repaint();
    EXPECT_TRUE(ShowsPattern(Area(), preview, {70, 55}));
    EXPECT_TRUE(m_warnings.empty());
}

// Each row follows a type with a preview, so the grey must replace a picture.
TEST_F(PreviewTest, NothingButGreyWhereNoPreviewIsDue) {
    Start({CTypePictures{CPicturePattern{100, 50}, {{20, 10}}},
           // A preview record stands at the offset, but the count says none.
           CTypePictures{CPicturePattern{100, 50}, {}, 0},
           CTypePictures{CPicturePattern{100, 50, 24}, {{20, 10}}},
           CTypePictures{CPicturePattern{100, 50, 4}, {{20, 10}}}});
    for (const std::int32_t nPosition : {2, 0, 3}) {
        ShowCard(1);
        ASSERT_TRUE(m_pDlg->m_bPreview);
        ShowCard(nPosition);
        EXPECT_FALSE(m_pDlg->m_bPreview) << nPosition;
        EXPECT_TRUE(IsPlainGrey(Area())) << nPosition;
        m_pDlg->GetDlgItem(CMainDialog::IDC_PREVIEW)->repaint();
        EXPECT_TRUE(IsPlainGrey(Area())) << nPosition;
    }
    // 4 bits is a depth the viewer shows but the preview does not.
    ShowCard(4);
    EXPECT_TRUE(IsPlainGrey(Area()));
    EXPECT_TRUE(m_warnings.empty());
}

TEST_F(PreviewTest, UnusableRecordsLeaveTheAreaGrey) {
    // A header the DIB section refuses (no pixels wide) and one cut short.
    std::string strZeroWide = PatternRecord({100, 50});
    strZeroWide[4] = 0; // biWidth 0
    strZeroWide[5] = 0;
    std::string strCut = PatternRecord({100, 50});
    strCut.resize(30);
    Start({CTypePictures{CPicturePattern{100, 50}, {}, 1},
           CTypePictures{std::nullopt, {}, 1, strZeroWide},
           CTypePictures{std::nullopt, {}, 1, strCut}});
    for (const std::int32_t nPosition : {2, 3}) {
        ShowCard(1);
        ShowCard(nPosition);
        EXPECT_FALSE(m_pDlg->m_bPreview) << nPosition;
        EXPECT_TRUE(IsPlainGrey(Area())) << nPosition;
    }
}

} // namespace
