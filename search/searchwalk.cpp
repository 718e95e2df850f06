#include "search/searchwalk.h"

#include "data/aircrafttext.h"
#include "mainwnd/typetree.h"
#include "platform/cfile.h"
#include "platform/cp1251.h"
#include "search/findword.h"

#include <string>

HTREEITEM FindNextMatch(const CTypeTree& tree, CAircraftText& match, std::string_view strFind,
                        bool bWholeWord, std::int32_t nStartFrom, HTREEITEM hSelected) {
    // An empty pattern matches no field, so there is no need to load anything.
    if (strFind.empty())
        return 0;
    const std::string strUpper = cp1251::ToUpper(strFind);
    const CTreeCtrl& ctlTree = tree.m_ctlTree;

    HTREEITEM hItem =
        nStartFrom == kStartFromCurrent ? tree.GetNextTreeItem(hSelected) : ctlTree.GetRootItem();
    for (; hItem; hItem = tree.GetNextTreeItem(hItem)) {
        const std::int32_t nRecord = ctlTree.GetItemData(hItem);
        if (nRecord < 0)
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
    }
    return 0;
}
