#include "mainwnd/typetree.h"

#include "data/databasefiles.h"
#include "data/treeentry.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

// Any caption the pool gives fits the store, so the build never meets the
// store's own caption limit.
static_assert(CStringPoolFile::kMaxStringBytes <= CTreeCtrl::kMaxCaptionBytes);

CTypeTree::CTypeTree(CTreeCtrl& ctlTree, CDatabaseFiles& app, const std::int32_t* pFirstItem)
    : m_ctlTree(ctlTree), m_app(app), m_pFirstItem(pFirstItem) {}

void CTypeTree::Build() {
    m_app.m_fileTree.m_nCursor = 0;
    BuildTree(-1, TVI_ROOT);
}

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

void CTypeTree::BuildTree(std::int32_t nParent, HTREEITEM hParent) {
    CRecordFile& fileTree = m_app.m_fileTree;
    if (!fileTree.IsOpen())
        return;
    // Room for every record left and every caption at once, within the
    // bounds: growing by doubling touched twice the memory the tree keeps.
    const std::int64_t nRecordsLeft =
        std::max<std::int64_t>(0, fileTree.GetRecordCount() - fileTree.m_nCursor);
    const std::uint64_t nPool = m_app.m_fileStrings.IsOpen() ? m_app.m_fileStrings.GetLength() : 0;
    m_ctlTree.Reserve(static_cast<std::uint32_t>(std::min<std::int64_t>(nRecordsLeft, m_nMaxItems)),
                      static_cast<std::size_t>(std::min(nPool, m_nMaxCaptionBytes)));
    Walk(nParent, hParent, m_ctlTree.GetCount(),
         [this](std::int32_t n, const TreeRecord& rec, std::string_view strName,
                HTREEITEM hUnder) -> std::optional<HTREEITEM> {
             const HTREEITEM hItem = m_ctlTree.InsertItem(strName, hUnder, TVI_LAST);
             m_ctlTree.SetItemData(hItem, rec.item);
             if (m_pFirstItem && n == *m_pFirstItem)
                 m_hSelectedItem = hItem;
             return hItem;
         });
}

std::optional<std::int32_t> CTypeTree::FindItemData(std::int32_t nPosition) {
    CRecordFile& fileTree = m_app.m_fileTree;
    if (nPosition < 0 || !fileTree.IsOpen())
        return std::nullopt;
    fileTree.m_nCursor = 0;
    std::optional<std::int32_t> nData;
    // Items stand in record order from the first record on, so the record
    // number serves as the item (plus one: 0 is no item).
    Walk(-1, TVI_ROOT, 0,
         [&](std::int32_t n, const TreeRecord& rec, std::string_view,
             HTREEITEM) -> std::optional<HTREEITEM> {
             if (n == nPosition) {
                 nData = rec.item;
                 return std::nullopt;
             }
             return static_cast<HTREEITEM>(n) + 1;
         });
    return nData;
}

// The build appends items in pre-order (see GetItemPosition), so the next
// item in pre-order is the next handle: no walk up through the parents.
HTREEITEM CTypeTree::GetNextTreeItem(HTREEITEM hItem) const {
    if (hItem == 0)
        return m_ctlTree.GetRootItem();
    return m_ctlTree.IsValid(hItem) && hItem < m_ctlTree.GetCount() ? hItem + 1 : 0;
}

// Items are appended in pre-order by the build, so an item's handle is its
// position plus one.
std::int32_t CTypeTree::GetItemPosition(HTREEITEM hItem) const {
    return m_ctlTree.IsValid(hItem) ? static_cast<std::int32_t>(hItem - 1) : -1;
}

HTREEITEM CTypeTree::GetItemAtPosition(std::int32_t nPosition) const {
    if (nPosition < 0 || static_cast<std::uint32_t>(nPosition) >= m_ctlTree.GetCount())
        return 0;
    return static_cast<HTREEITEM>(nPosition + 1);
}
