#pragma once

#include "platform/richtextdocument.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CAircraftText;
class CRichEditCtrl;

// The card of the selected tree item: the type's texts written behind the
// captions of the three panes, the picture count and which of the two card
// buttons may be used. The main dialog and `verlumo-db card` both run it.
class CItemCard {
public:
    // Slots of each pane in the order they are written.
    static constexpr std::array<int, 6> kGeneralSlots = {1, 2, 3, 4, 5, 23};
    static constexpr std::array<int, 9> kSpecsSlots = {7, 8, 9, 11, 12, 13, 14, 15, 6};
    static constexpr std::array<int, 7> kSpeedsSlots = {16, 17, 18, 19, 20, 21, 22};

    CItemCard(CAircraftText& card, CRichEditCtrl& ctlGeneral, CRichEditCtrl& ctlSpecs,
              CRichEditCtrl& ctlSpeeds);

    // Loads record nItem into the text form (a negative nItem is a group:
    // the main texts are emptied) and writes pane 1000, 1003 and 1001. A
    // CFileException from a read leaves the panes and the state as they were.
    void ShowItem(std::int32_t nItem);

    // Blue in the Russian character set; nothing else of the caption's format changes.
    static CCharFormat ValueFormat();

    // Writes " " and strValue behind the first colon at or after nStart,
    // replacing the rest of that line, and returns the position behind the
    // value. With no colon left nothing is written and nStart comes back.
    // strShown is what the previous card wrote behind this colon: a shown
    // value may hold a line end of its own, and the line it replaces must
    // end behind it, or part of it would stay.
    static long InsertValue(CRichEditCtrl& ctl, long nStart, std::string_view strValue,
                            std::string_view strShown = {});

    // Replaces [nFrom, nTo) by " " and strValue in the value format, leaves the
    // caret at nFrom and returns the position behind the value. Every value of
    // the card and of the additional data is written through here.
    static long WriteValue(CRichEditCtrl& ctl, long nFrom, long nTo, std::string_view strValue);

    std::int32_t m_nPictures = 0;      // edit 1006
    bool m_bImagesEnabled = false;     // button 1004
    bool m_bAdditionalEnabled = false; // button 1007

private:
    template <std::size_t N>
    void WritePane(CRichEditCtrl& ctl, const std::array<int, N>& slots,
                   std::vector<std::string>& shown);

    CAircraftText& m_card;
    CRichEditCtrl& m_ctlGeneral;
    CRichEditCtrl& m_ctlSpecs;
    CRichEditCtrl& m_ctlSpeeds;
    // What each pane got behind its colons the last time, slot by slot.
    std::vector<std::string> m_shownGeneral, m_shownSpecs, m_shownSpeeds;
};
