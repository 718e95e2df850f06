#pragma once

// The walk over the tree file's records behind CTypeTree's build and its
// VisitItems: templates, included where they are instantiated.
#include "data/databasefiles.h"
#include "data/treeentry.h"
#include "mainwnd/typetree.h"

#include <optional>
#include <string_view>
#include <vector>

// The natural form is a routine that calls itself for each deeper level; the
// depth is set by the file (a chain of 200,000 levels is valid), so the levels
// live on an explicit stack instead. Each level is (its parent record number,
// its parent item, the last item it inserted). The cursor moves exactly as the
// recursive form moves it: forward for every load, one step back for every
// record handed back to a shallower level or passed down to a new one.
// insert(n, record, caption, parent item) places record n and returns its
// item, or nullopt to end the walk there; nCount items are in the tree
// before it.
template <class FInsert>
void CTypeTree::Walk(std::int32_t nParent, HTREEITEM hParent, std::uint32_t nCount,
                     FInsert insert) {
    CRecordFile& fileTree = m_app.m_fileTree;
    struct Level {
        std::int32_t nParent;
        HTREEITEM hParent;
        HTREEITEM hLast;
    };
    std::vector<Level> levels{{nParent, hParent, TVI_ROOT}};
    CTreeEntry entry(&m_app);
    std::uint64_t nCaptionBytes = 0;
    m_bBoundReached = false;

    while (!levels.empty()) {
        const std::int32_t n = fileTree.m_nCursor++;
        if (!entry.Load(n))
            break; // every level would fail its next load in turn
        Level& level = levels.back();
        if (entry.m_rec.parent == level.nParent) {
            // Viewed in the pool's cache: copied once, or not at all.
            std::string_view strName;
            if (entry.m_rec.nameOffset >= 0)
                strName = m_app.m_fileStrings.ViewString(entry.m_rec.nameOffset, entry.m_strName);
            nCaptionBytes += strName.size();
            if (nCount >= m_nMaxItems || nCaptionBytes > m_nMaxCaptionBytes) {
                m_bBoundReached = true;
                break;
            }
            const std::optional<HTREEITEM> hItem = insert(n, entry.m_rec, strName, level.hParent);
            if (!hItem)
                break;
            ++nCount;
            level.hLast = *hItem;
            continue;
        }
        --fileTree.m_nCursor; // hand the record back
        if (entry.m_rec.parent == fileTree.m_nCursor - 1) {
            // First child of the record just inserted: open a level under it.
            levels.push_back({fileTree.m_nCursor - 1, level.hLast, TVI_ROOT});
        } else {
            // Belongs to a shallower level, or to none (then every level pops).
            levels.pop_back();
        }
    }
}

template <class FVisit> std::int32_t CTypeTree::VisitItems(FVisit visit) {
    CRecordFile& fileTree = m_app.m_fileTree;
    if (!fileTree.IsOpen())
        return -1;
    fileTree.m_nCursor = 0;
    std::int32_t nStopped = -1;
    // Items stand in record order from the first record on, so the record
    // number serves as the item (plus one: 0 is no item).
    Walk(-1, TVI_ROOT, 0,
         [&](std::int32_t n, const TreeRecord& rec, std::string_view,
             HTREEITEM) -> std::optional<HTREEITEM> {
             if (visit(n, rec.item)) {
                 nStopped = n;
                 return std::nullopt;
             }
             return static_cast<HTREEITEM>(n) + 1;
         });
    return nStopped;
}
