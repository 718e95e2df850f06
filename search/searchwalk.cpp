#include "search/searchwalk.h"

#include "data/aircraftrecord.h"
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "mainwnd/typetreewalk.h"
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

// The test of one item's type. A type stands under several groups (ten
// times, in a large tree), and its names match or not wherever it stands:
// each record is loaded and tested once per search. Only records the file
// holds are remembered.
class CTypeTest {
public:
    CTypeTest(CDatabaseFiles& files, CAircraftText& match, std::string_view strFind,
              bool bWholeWord)
        : m_match(match), m_strUpper(cp1251::ToUpper(strFind)), m_bWholeWord(bWholeWord) {
        std::int64_t nRecords = 0;
        try {
            if (files.m_fileAircraft.IsOpen())
                nRecords = std::min(files.m_fileAircraft.GetRecordCount(), kMaxRecords);
        } catch (const CFileException&) {
            nRecords = 0; // then nothing is remembered, and every item is tested
        }
        m_tested.resize(static_cast<std::size_t>(nRecords));
    }

    // Whether the item with this data is a type whose names hold the text.
    // Groups (data below 0) and types whose record cannot be read never are.
    bool Matches(std::int32_t nRecord) {
        if (nRecord < 0)
            return false;
        const bool bRemembered = static_cast<std::size_t>(nRecord) < m_tested.size();
        if (bRemembered && m_tested[static_cast<std::size_t>(nRecord)])
            return false;
        // A record cut short does not match; a data file that is not open
        // raises, and nothing of this type could be shown either.
        bool bMatches = false;
        try {
            bMatches = MatchesRecord(m_match, nRecord, m_strUpper, m_bWholeWord);
        } catch (const CFileException&) {
            bMatches = false;
        }
        if (bMatches)
            return true;
        if (bRemembered)
            m_tested[static_cast<std::size_t>(nRecord)] = true;
        return false;
    }

private:
    CAircraftText& m_match;
    const std::string m_strUpper;
    const bool m_bWholeWord;
    std::vector<bool> m_tested;
};

} // namespace

HTREEITEM FindNextMatch(const CTypeTree& tree, CAircraftText& match, std::string_view strFind,
                        bool bWholeWord, std::int32_t nStartFrom, HTREEITEM hSelected) {
    // An empty pattern matches no field, so there is no need to load anything.
    if (strFind.empty())
        return 0;
    CTypeTest test(tree.m_app, match, strFind, bWholeWord);
    HTREEITEM hItem = nStartFrom == kStartFromCurrent ? tree.GetNextTreeItem(hSelected)
                                                      : tree.m_ctlTree.GetRootItem();
    for (; hItem; hItem = tree.GetNextTreeItem(hItem))
        if (test.Matches(tree.m_ctlTree.GetItemData(hItem)))
            return hItem;
    return 0;
}

RecordMatch FindMatchInRecords(CTypeTree& tree, CAircraftText& match, std::string_view strFind,
                               bool bWholeWord, std::int32_t nAfter) {
    RecordMatch result;
    result.bStartInTree = nAfter == -1;
    if (nAfter < -1)
        return result;
    // Only the start is looked for when nothing can match.
    if (strFind.empty() && nAfter == -1)
        return result;
    CTypeTest test(tree.m_app, match, strFind, bWholeWord);
    const std::int32_t nStopped = tree.VisitItems([&](std::int32_t n, std::int32_t nItemData) {
        if (n <= nAfter) {
            result.bStartInTree = n == nAfter;
            return result.bStartInTree && strFind.empty();
        }
        return test.Matches(nItemData);
    });
    if (nStopped > nAfter)
        result.nFound = nStopped;
    return result;
}
