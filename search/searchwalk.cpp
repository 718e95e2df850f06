#include "search/searchwalk.h"

#include "data/aircraftrecord.h"
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "platform/cfile.h"
#include "platform/cp1251.h"
#include "search/findword.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Records beyond byte 2^31 - 1 of the file are never read, so no more can
// be remembered: a bit each, at most 1.7 MB.
constexpr std::int64_t kMaxRecords = (std::int64_t{INT32_MAX} + 1) / AircraftRecord::kSize;

} // namespace

HTREEITEM FindNextMatch(const CTypeTree& tree, CAircraftText& match, std::string_view strFind,
                        bool bWholeWord, std::int32_t nStartFrom, HTREEITEM hSelected) {
    // An empty pattern matches no field, so there is no need to load anything.
    if (strFind.empty())
        return 0;
    const std::string strUpper = cp1251::ToUpper(strFind);
    const CTreeCtrl& ctlTree = tree.m_ctlTree;

    // A type stands under several groups (ten times, in a large tree), and
    // its names match or not wherever it stands: each record is loaded and
    // tested once per search. Only records the file holds are remembered.
    std::int64_t nRecords = 0;
    try {
        if (tree.m_app.m_fileAircraft.IsOpen())
            nRecords = std::min(tree.m_app.m_fileAircraft.GetRecordCount(), kMaxRecords);
    } catch (const CFileException&) {
        nRecords = 0; // then nothing is remembered, and every item is tested
    }
    std::vector<bool> tested(static_cast<std::size_t>(nRecords));

    HTREEITEM hItem =
        nStartFrom == kStartFromCurrent ? tree.GetNextTreeItem(hSelected) : ctlTree.GetRootItem();
    for (; hItem; hItem = tree.GetNextTreeItem(hItem)) {
        const std::int32_t nRecord = ctlTree.GetItemData(hItem);
        if (nRecord < 0)
            continue;
        const bool bRemembered = nRecord < nRecords;
        if (bRemembered && tested[static_cast<std::size_t>(nRecord)])
            continue;
        bool bLoaded = false;
        try {
            bLoaded = match.LoadNames(nRecord);
        } catch (const CFileException&) {
            // A data file that is not open: nothing of this type can be shown.
            bLoaded = false;
        }
        // A short record leaves empty slots, which a non-empty pattern
        // cannot match anyway; skipping says so outright.
        if (bLoaded && MatchesRecord(match, strUpper, bWholeWord))
            return hItem;
        if (bRemembered)
            tested[static_cast<std::size_t>(nRecord)] = true;
    }
    return 0;
}
