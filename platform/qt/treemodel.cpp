#include "platform/qt/treemodel.h"

#include "platform/cp1251.h"

#include <QString>
#include <algorithm>
#include <limits>

CTreeModel::CTreeModel(const CTreeCtrl& ctlTree, QObject* pParent)
    : QAbstractItemModel(pParent), m_ctlTree(ctlTree) {}

void CTreeModel::Reset() {
    beginResetModel();
    m_children.clear();
    endResetModel();
}

const std::vector<HTREEITEM>& CTreeModel::Children(HTREEITEM hParent) const {
    auto it = m_children.find(hParent);
    if (it != m_children.end())
        return it->second;
    std::vector<HTREEITEM> children;
    for (HTREEITEM h = hParent ? m_ctlTree.GetChildItem(hParent) : m_ctlTree.GetRootItem(); h;
         h = m_ctlTree.GetNextSiblingItem(h))
        children.push_back(h);
    return m_children.emplace(hParent, std::move(children)).first->second;
}

HTREEITEM CTreeModel::ItemOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<HTREEITEM>(index.internalId()) : 0;
}

QModelIndex CTreeModel::IndexOf(HTREEITEM hItem) const {
    if (!m_ctlTree.IsValid(hItem))
        return {};
    // Handles grow in insertion order, so siblings stand sorted: the row is
    // a binary search in the array the view asks for anyway.
    const std::vector<HTREEITEM>& siblings = Children(m_ctlTree.GetParentItem(hItem));
    const auto it = std::lower_bound(siblings.begin(), siblings.end(), hItem);
    return createIndex(static_cast<int>(it - siblings.begin()), 0, static_cast<quintptr>(hItem));
}

QModelIndex CTreeModel::index(int nRow, int nColumn, const QModelIndex& parent) const {
    if (nRow < 0 || nColumn != 0 || (parent.isValid() && parent.column() != 0))
        return {};
    const std::vector<HTREEITEM>& children = Children(ItemOf(parent));
    if (static_cast<std::size_t>(nRow) >= children.size())
        return {};
    return createIndex(nRow, 0, static_cast<quintptr>(children[static_cast<std::size_t>(nRow)]));
}

QModelIndex CTreeModel::parent(const QModelIndex& child) const {
    return IndexOf(m_ctlTree.GetParentItem(ItemOf(child)));
}

int CTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && (parent.column() != 0 || !m_ctlTree.ItemHasChildren(ItemOf(parent))))
        return 0;
    const std::size_t nCount = Children(ItemOf(parent)).size();
    return static_cast<int>(std::min<std::size_t>(nCount, std::numeric_limits<int>::max()));
}

int CTreeModel::columnCount(const QModelIndex& /*parent*/) const {
    return 1;
}

bool CTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid())
        return m_ctlTree.GetRootItem() != 0;
    return parent.column() == 0 && m_ctlTree.ItemHasChildren(ItemOf(parent));
}

QVariant CTreeModel::data(const QModelIndex& index, int nRole) const {
    if (nRole != Qt::DisplayRole || !index.isValid())
        return {};
    return QString::fromUtf8(cp1251::ToUtf8(m_ctlTree.ViewItemText(ItemOf(index))));
}

Qt::ItemFlags CTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!m_ctlTree.ItemHasChildren(ItemOf(index)))
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}
