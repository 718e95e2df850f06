#pragma once

#include "platform/treectrl.h"

#include <QAbstractItemModel>
#include <unordered_map>
#include <vector>

// A read-only item model over the tree store, for CTreeView. An index
// carries its item's handle, so parent and data come straight from the
// store. The store links children as a list; the model keeps, for each
// parent the view has asked about, the array of its children, so the child
// at a row is one lookup and an item's row a binary search. Nothing is built for branches nobody
// opens.
class CTreeModel : public QAbstractItemModel {
public:
    explicit CTreeModel(const CTreeCtrl& ctlTree, QObject* pParent = nullptr);

    // The store was filled or emptied: forget every index.
    void Reset();

    QModelIndex IndexOf(HTREEITEM hItem) const;
    static HTREEITEM ItemOf(const QModelIndex& index);

    QModelIndex index(int nRow, int nColumn, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Children of hParent in order (0: the top-level items).
    const std::vector<HTREEITEM>& Children(HTREEITEM hParent) const;

    const CTreeCtrl& m_ctlTree;
    mutable std::unordered_map<HTREEITEM, std::vector<HTREEITEM>> m_children;
};
