#include "platform/treectrl.h"

#include <stdexcept>

HTREEITEM CTreeCtrl::InsertItem(std::string_view strText, HTREEITEM hParent,
                                HTREEITEM /*hInsertAfter*/) {
    if (hParent != TVI_ROOT && !IsValid(hParent))
        return 0;
    if (m_items.size() >= 0xFFFEFFFFu || m_text.size() + strText.size() > UINT32_MAX)
        throw std::length_error("tree store is full");
    m_text.append(strText);
    const auto hNew = static_cast<HTREEITEM>(m_items.size() + 1);
    Item item{};
    item.nTextEnd = static_cast<std::uint32_t>(m_text.size());
    if (hParent == TVI_ROOT) {
        item.nRow = m_nRootCount++;
        if (m_hLastRoot)
            At(m_hLastRoot).hNextSibling = hNew;
        else
            m_hFirstRoot = hNew;
        m_hLastRoot = hNew;
    } else {
        Item& parent = At(hParent);
        item.hParent = hParent;
        if (parent.hLastChild) {
            item.nRow = At(parent.hLastChild).nRow + 1;
            At(parent.hLastChild).hNextSibling = hNew;
        } else {
            parent.hFirstChild = hNew;
        }
        parent.hLastChild = hNew;
    }
    m_items.push_back(item);
    m_expanded.push_back(false);
    return hNew;
}

bool CTreeCtrl::SetItemData(HTREEITEM hItem, std::int32_t nData) {
    if (!IsValid(hItem))
        return false;
    At(hItem).nData = nData;
    return true;
}

std::int32_t CTreeCtrl::GetItemData(HTREEITEM hItem) const {
    return IsValid(hItem) ? At(hItem).nData : 0;
}

std::string CTreeCtrl::GetItemText(HTREEITEM hItem) const {
    if (!IsValid(hItem))
        return {};
    const std::uint32_t nStart = hItem == 1 ? 0 : At(hItem - 1).nTextEnd;
    return m_text.substr(nStart, At(hItem).nTextEnd - nStart);
}

bool CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const {
    return IsValid(hItem) && At(hItem).hFirstChild != 0;
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
        return At(hItem).hNextSibling;
    case TVGN_PARENT:
        return At(hItem).hParent;
    case TVGN_CHILD:
        return At(hItem).hFirstChild;
    default:
        return 0;
    }
}

bool CTreeCtrl::Expand(HTREEITEM hItem, TreeExpand nCode) {
    if (!IsValid(hItem))
        return false;
    const std::size_t i = hItem - 1;
    if (nCode == TVE_EXPAND)
        m_expanded[i] = true;
    else if (nCode == TVE_COLLAPSE)
        m_expanded[i] = false;
    else if (nCode == TVE_TOGGLE)
        m_expanded[i] = !m_expanded[i];
    return true;
}

bool CTreeCtrl::IsExpanded(HTREEITEM hItem) const {
    return IsValid(hItem) && m_expanded[hItem - 1];
}

bool CTreeCtrl::SelectItem(HTREEITEM hItem) {
    if (hItem != 0 && !IsValid(hItem))
        return false;
    for (HTREEITEM h = hItem ? At(hItem).hParent : 0; h != 0; h = At(h).hParent)
        m_expanded[h - 1] = true;
    if (hItem == m_hCaret)
        return true;
    const HTREEITEM hOld = m_hCaret;
    m_hCaret = hItem;
    if (m_onSelChanged)
        m_onSelChanged(hOld, hItem);
    return true;
}

std::uint32_t CTreeCtrl::GetItemRow(HTREEITEM hItem) const {
    return IsValid(hItem) ? At(hItem).nRow : 0;
}

void CTreeCtrl::DeleteAllItems() {
    m_items.clear();
    m_expanded.clear();
    m_text.clear();
    m_hFirstRoot = m_hLastRoot = 0;
    m_nRootCount = 0;
    m_hCaret = 0;
}

void CTreeCtrl::Reserve(std::uint32_t nItems, std::size_t nTextBytes) {
    m_items.reserve(m_items.size() + nItems);
    m_expanded.reserve(m_expanded.size() + nItems);
    m_text.reserve(m_text.size() + nTextBytes);
}
