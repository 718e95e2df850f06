#pragma once

#include "platform/treectrl.h"

#include <cstddef>
#include <cstdint>
#include <optional>

class CDatabaseFiles;

// A real database holds hundreds of types; four million items (20 bytes each
// in the store plus a caption) keep the tree within a few hundred MiB
// while leaving room for any database a person could browse.
inline constexpr std::uint32_t kMaxTreeItems = 4'000'000;
// Captions may each be a whole pool string (CStringPoolFile::kMaxStringBytes),
// so their sum has a bound of its own: many records naming one long string
// must not multiply it beyond this.
inline constexpr std::uint64_t kMaxTreeCaptionBytes = 256u << 20;

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
    // It ends the same way before an item beyond m_nMaxItems or one whose
    // caption would take the captions past m_nMaxCaptionBytes, and then sets
    // m_bBoundReached. A tree file that is not open builds nothing.
    void BuildTree(std::int32_t nParent, HTREEITEM hParent);

    // The item data of the item the whole build would put at nPosition, or
    // nullopt when there is none: the same walk over the records, up to that
    // position, without the store. The tree file's cursor moves; m_ctlTree
    // stays as it is.
    std::optional<std::int32_t> FindItemData(std::int32_t nPosition);

    // The same walk handing each item to visit(position, item data) instead
    // of the store, in pre-order, until visit returns true. Returns the
    // position it stopped at, or -1 when the items ran out first. The tree
    // file's cursor moves; m_ctlTree stays as it is. A template, so that the
    // search's test of each of a million items costs no call through a
    // pointer; defined in mainwnd/typetreewalk.h.
    template <class FVisit> std::int32_t VisitItems(FVisit visit);

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
    std::uint32_t m_nMaxItems = kMaxTreeItems; // tests lower the bounds
    std::uint64_t m_nMaxCaptionBytes = kMaxTreeCaptionBytes;
    bool m_bBoundReached = false;

private:
    template <class FInsert>
    void Walk(std::int32_t nParent, HTREEITEM hParent, std::uint32_t nCount, FInsert insert);
};
