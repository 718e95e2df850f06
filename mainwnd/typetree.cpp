#include "mainwnd/typetree.h"

#include "data/databasefiles.h"
#include "mainwnd/typetreewalk.h"

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
    if (nPosition < 0)
        return std::nullopt;
    std::optional<std::int32_t> nData;
    VisitItems([&](std::int32_t n, std::int32_t nItemData) {
        if (n != nPosition)
            return false;
        nData = nItemData;
        return true;
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
