#pragma once

#include "platform/treectrl.h"

#include <cstdint>

class CDatabaseFiles;

// The tree of groups and types built from "Tree.dat" in one forward pass,
// and the pre-order walk over it. The main dialog owns one; the tool uses it
// to list the tree exactly as the viewer shows it.
class CTypeTree {
public:
    // pFirstItem: the remembered position whose item becomes m_hSelectedItem.
    CTypeTree(CTreeCtrl& ctlTree, CDatabaseFiles& app, const std::int32_t* pFirstItem);

    // Builds the whole tree: the tree file's cursor back to the first record,
    // then BuildTree(-1, TVI_ROOT).
    void Build();

    // Inserts the records from the tree file's m_nCursor on. The build ends at
    // the end of the file or at the first record out of depth-first order; the
    // tree then holds a prefix of the file, so positions equal record numbers.
    // A tree file that is not open builds nothing.
    void BuildTree(std::int32_t nParent, HTREEITEM hParent);

    // Next item in pre-order, whatever is expanded; null after the last one.
    // From null: the first top-level item, so a walk from "nothing selected"
    // covers the whole tree.
    HTREEITEM GetNextTreeItem(HTREEITEM hItem) const;

    // Pre-order position of an item (its record number), -1 for null.
    std::int32_t GetItemPosition(HTREEITEM hItem) const;
    // The item at a pre-order position, null when there is none.
    HTREEITEM GetItemAtPosition(std::int32_t nPosition) const;

    CTreeCtrl& m_ctlTree;
    CDatabaseFiles& m_app;
    const std::int32_t* m_pFirstItem;
    HTREEITEM m_hSelectedItem = 0;
};
