#include "mainwnd/itemcard.h"

#include "data/aircrafttext.h"
#include "platform/richeditctrl.h"

CItemCard::CItemCard(CAircraftText& card, CRichEditCtrl& ctlGeneral, CRichEditCtrl& ctlSpecs,
                     CRichEditCtrl& ctlSpeeds)
    : m_card(card), m_ctlGeneral(ctlGeneral), m_ctlSpecs(ctlSpecs), m_ctlSpeeds(ctlSpeeds) {}

CCharFormat CItemCard::ValueFormat() {
    CCharFormat cf;
    cf.m_dwMask = CFM_COLOR | CFM_CHARSET;
    cf.m_dwEffects = 0;
    cf.m_crTextColor = RgbColor(0, 0, 255);
    cf.m_nCharSet = RUSSIAN_CHARSET;
    return cf;
}

long CItemCard::InsertValue(CRichEditCtrl& ctl, long nStart, std::string_view strValue,
                            std::string_view strShown) {
    const long nColon = ctl.FindText(nStart, -1, ":");
    if (nColon < 0)
        return nStart;
    const long c = nColon + 1;

    long nLineFrom = c;
    const std::string& strText = ctl.GetText();
    if (!strShown.empty() && strText.size() - static_cast<std::size_t>(c) > strShown.size() &&
        strText[static_cast<std::size_t>(c)] == ' ' &&
        strText.compare(static_cast<std::size_t>(c) + 1, strShown.size(), strShown) == 0)
        nLineFrom = c + 1 + static_cast<long>(strShown.size());
    long e = ctl.FindText(nLineFrom, -1, "\r\n");
    if (e < 0)
        e = ctl.GetTextLength();

    return WriteValue(ctl, c, e, strValue);
}

long CItemCard::WriteValue(CRichEditCtrl& ctl, long nFrom, long nTo, std::string_view strValue) {
    std::string strWritten;
    strWritten.reserve(strValue.size() + 1);
    strWritten += ' ';
    strWritten += strValue;
    ctl.SetSel(nFrom, nTo);
    ctl.ReplaceSel(strWritten);
    const long nEnd = nFrom + static_cast<long>(strWritten.size());
    ctl.SetSel(nFrom, nEnd);
    ctl.SetSelectionCharFormat(ValueFormat());
    ctl.SetSel(nFrom, nFrom);
    return nEnd;
}

template <std::size_t N>
void CItemCard::WritePane(CRichEditCtrl& ctl, const std::array<int, N>& slots,
                          std::vector<std::string>& shown) {
    shown.resize(N);
    long nPos = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const std::string& strValue = m_card.GetText(slots[i]);
        const long nNext = InsertValue(ctl, nPos, strValue, shown[i]);
        // A value that found no colon was not written and stands nowhere.
        shown[i] = nNext != nPos ? strValue : std::string();
        nPos = nNext;
    }
}

void CItemCard::ShowItem(std::int32_t nItem) {
    m_card.m_pictureOffsets.clear();
    if (nItem >= 0)
        m_card.Load(nItem);
    else
        m_card.ClearMain();
    WritePane(m_ctlGeneral, kGeneralSlots, m_shownGeneral);
    WritePane(m_ctlSpecs, kSpecsSlots, m_shownSpecs);
    WritePane(m_ctlSpeeds, kSpeedsSlots, m_shownSpeeds);
    m_nPictures = m_card.m_record.pictureCount;
    m_bImagesEnabled = m_nPictures > 0;
    m_bAdditionalEnabled = nItem >= 0;
}
