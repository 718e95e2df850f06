#include "platform/treectrl.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <sys/mman.h>

HTREEITEM CTreeCtrl::InsertItem(std::string_view strText, HTREEITEM hParent,
                                HTREEITEM /*hInsertAfter*/) {
    if (hParent != TVI_ROOT && !IsValid(hParent))
        return 0;
    if (strText.size() > kMaxCaptionBytes)
        throw std::length_error("tree caption longer than a text chunk");
    const std::uint64_t nStart = TextStart(m_nTextEnd, strText.size());
    if (m_items.size() >= kMaxItems || nStart + strText.size() > UINT32_MAX)
        throw std::length_error("tree store is full");
    if (!strText.empty()) {
        const std::size_t nChunk = nStart / kTextChunkBytes;
        const std::size_t nEndInChunk = nStart % kTextChunkBytes + strText.size();
        if (nChunk >= m_textChunks.size() || nEndInChunk > m_nLastChunkBytes)
            MakeTextRoom(nChunk, nEndInChunk);
        std::memcpy(m_textChunks[nChunk].get() + nStart % kTextChunkBytes, strText.data(),
                    strText.size());
    }
    const auto hNew = static_cast<HTREEITEM>(m_items.size() + 1);
    Item item{};
    item.nTextEnd = static_cast<std::uint32_t>(nStart + strText.size());
    HTREEITEM* pLast = &m_hLastRoot;
    if (hParent != TVI_ROOT) {
        item.hParent = hParent;
        pLast = &At(hParent).hLastChild;
    }
    if (*pLast) {
        Item& last = At(*pLast);
        item.hNext = last.hNext; // the first sibling, marked
        last.hNext = hNew;
    } else {
        item.hNext = hNew | kRingEnd;
        if (hParent == TVI_ROOT)
            m_hFirstRoot = hNew;
    }
    *pLast = hNew;
    m_items.push_back(item);
    m_nTextEnd = item.nTextEnd;
    return hNew;
}

void CTreeCtrl::MakeTextRoom(std::size_t nChunk, std::size_t nEndInChunk) {
    // Only the last chunk grows, and only the first one starts small: a
    // later chunk is only begun when the one before is full.
    std::size_t nBytes = nChunk == 0 ? kFirstChunkBytes : kTextChunkBytes;
    const bool bGrow = nChunk < m_textChunks.size();
    if (bGrow)
        nBytes = m_nLastChunkBytes * 2;
    while (nBytes < nEndInChunk)
        nBytes *= 2;
    nBytes = std::min(nBytes, kTextChunkBytes);
    // A whole chunk is one aligned large page, faulted in at once.
    std::unique_ptr<char[], CFree> pChunk(
        static_cast<char*>(nBytes == kTextChunkBytes ? std::aligned_alloc(kTextChunkBytes, nBytes)
                                                     : std::malloc(nBytes)));
    if (!pChunk)
        throw std::bad_alloc();
    if (nBytes == kTextChunkBytes)
        AdviseLargePages(pChunk.get(), nBytes);
    if (bGrow) {
        std::memcpy(pChunk.get(), m_textChunks.back().get(), m_nTextEnd % kTextChunkBytes);
        m_textChunks.back() = std::move(pChunk);
    } else {
        m_textChunks.push_back(std::move(pChunk));
    }
    m_nLastChunkBytes = nBytes;
}

std::string_view CTreeCtrl::ViewItemText(HTREEITEM hItem) const {
    if (!IsValid(hItem))
        return {};
    const std::uint32_t nPrevEnd = PrevTextEnd(hItem);
    const std::uint32_t nEnd = At(hItem).nTextEnd;
    // A caption moved to the next chunk spans more than the rest of the
    // previous one from nPrevEnd, one that stayed at most that; so the same
    // rule over the whole span gives the start either way.
    const std::uint64_t nStart = TextStart(nPrevEnd, nEnd - nPrevEnd);
    if (nEnd == nStart)
        return {};
    return {m_textChunks[nStart / kTextChunkBytes].get() + nStart % kTextChunkBytes,
            static_cast<std::size_t>(nEnd - nStart)};
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, TreeNavigation nCode) const {
    switch (nCode) {
    case TVGN_ROOT:
        return m_hFirstRoot;
    case TVGN_CARET:
        return m_hCaret;
    default:
        break;
    }
    if (!IsValid(hItem))
        return 0;
    switch (nCode) {
    case TVGN_NEXT:
        return At(hItem).hNext & kRingEnd ? 0 : At(hItem).hNext;
    case TVGN_PARENT:
        return At(hItem).hParent;
    case TVGN_CHILD: {
        const HTREEITEM hLast = At(hItem).hLastChild;
        return hLast ? At(hLast).hNext & ~kRingEnd : 0;
    }
    default:
        return 0;
    }
}

bool CTreeCtrl::Expand(HTREEITEM hItem, TreeExpand nCode) {
    if (!IsValid(hItem))
        return false;
    if (nCode == TVE_EXPAND)
        SetExpanded(hItem, true);
    else if (nCode == TVE_COLLAPSE)
        SetExpanded(hItem, false);
    else if (nCode == TVE_TOGGLE)
        SetExpanded(hItem, !IsExpanded(hItem));
    return true;
}

void CTreeCtrl::SetExpanded(HTREEITEM hItem, bool bExpanded) {
    const std::size_t i = hItem - 1;
    if (i >= m_expanded.size()) {
        if (!bExpanded)
            return;
        m_expanded.resize(m_items.size());
    }
    m_expanded[i] = bExpanded;
}

bool CTreeCtrl::SelectItem(HTREEITEM hItem) {
    if (hItem != 0 && !IsValid(hItem))
        return false;
    for (HTREEITEM h = hItem ? At(hItem).hParent : 0; h != 0; h = At(h).hParent)
        SetExpanded(h, true);
    if (hItem == m_hCaret)
        return true;
    const HTREEITEM hOld = m_hCaret;
    m_hCaret = hItem;
    if (m_onSelChanged)
        m_onSelChanged(hOld, hItem);
    return true;
}

void CTreeCtrl::DeleteAllItems() {
    m_items.clear();
    m_expanded.clear();
    m_nTextEnd = 0;
    m_textChunks.clear();
    m_nLastChunkBytes = 0;
    m_hFirstRoot = m_hLastRoot = 0;
    m_hCaret = 0;
}

void CTreeCtrl::Reserve(std::uint32_t nItems, std::size_t nTextBytes) {
    m_items.reserve(m_items.size() + nItems);
    AdviseLargePages(m_items.data(), m_items.capacity() * sizeof(Item));
    m_textChunks.reserve(m_textChunks.size() + nTextBytes / kTextChunkBytes + 1);
}

void CTreeCtrl::CFree::operator()(char* p) const {
    std::free(p);
}

void CTreeCtrl::AdviseLargePages(void* pStart, std::size_t nBytes) {
#ifdef MADV_HUGEPAGE
    // A big array filled front to back: a fault per 2 MiB instead of per
    // 4 KiB page. Only whole large pages inside the block are advised, so
    // nothing outside it changes; where the system offers none this is a
    // no-op, and a failure costs nothing but the speed.
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto nFrom = reinterpret_cast<std::uintptr_t>(pStart);
    const std::uintptr_t nFirst = (nFrom + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t nLast = (nFrom + nBytes) & ~(kLargePage - 1);
    if (nLast > nFirst)
        ::madvise(reinterpret_cast<void*>(nFirst), nLast - nFirst, MADV_HUGEPAGE);
#else
    (void)pStart;
    (void)nBytes;
#endif
}
