#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Handle of a tree item; 0 is no item.
using HTREEITEM = std::uint32_t;

inline constexpr HTREEITEM TVI_ROOT = 0xFFFF0000u;
inline constexpr HTREEITEM TVI_FIRST = 0xFFFF0001u;
inline constexpr HTREEITEM TVI_LAST = 0xFFFF0002u;

enum TreeNavigation { TVGN_ROOT, TVGN_NEXT, TVGN_PARENT, TVGN_CHILD, TVGN_CARET };
enum TreeExpand { TVE_COLLAPSE = 1, TVE_EXPAND = 2, TVE_TOGGLE = 3 };

// The tree control as a store: items with a caption (cp1251), a parent, an
// order among siblings and one signed 32-bit item data, plus the caret and
// the expand state. A view shows it; the logic runs on the store alone.
// Items are only ever appended, so the store holds millions of them in a few
// flat arrays (20 bytes an item plus its caption). Captions lie end to
// end in chunks that are never moved: growing the text adds a chunk, it
// does not copy (and touch) all the text held so far.
class CTreeCtrl {
public:
    // A chunk holds thousands of captions; only the first one starts
    // smaller, so a small tree takes no more than it fills.
    // 2 MiB: one large page, where the system offers them.
    static constexpr std::size_t kTextChunkBytes = std::size_t{2} << 20;
    static constexpr std::size_t kFirstChunkBytes = std::size_t{1} << 12;
    // A caption lies within one chunk. Far longer than a line a tree shows;
    // the type tree's captions are pool strings, at most 64 KiB.
    static constexpr std::size_t kMaxCaptionBytes = kTextChunkBytes;

    // Only TVI_LAST is supported as the place: a new last child of hParent
    // (or a new last top-level item for TVI_ROOT). Returns 0 for an invalid
    // parent; a caption beyond kMaxCaptionBytes raises std::length_error.
    HTREEITEM InsertItem(std::string_view strText, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hInsertAfter = TVI_LAST);
    // The accessors are inline: views and walks call them once per item.
    bool SetItemData(HTREEITEM hItem, std::int32_t nData) {
        if (!IsValid(hItem))
            return false;
        At(hItem).nData = nData;
        return true;
    }
    std::int32_t GetItemData(HTREEITEM hItem) const { return IsValid(hItem) ? At(hItem).nData : 0; }
    std::string GetItemText(HTREEITEM hItem) const { return std::string(ViewItemText(hItem)); }
    // The caption where the store keeps it; valid until the store is emptied.
    std::string_view ViewItemText(HTREEITEM hItem) const;
    bool ItemHasChildren(HTREEITEM hItem) const {
        return IsValid(hItem) && At(hItem).hLastChild != 0;
    }

    HTREEITEM GetNextItem(HTREEITEM hItem, TreeNavigation nCode) const;
    HTREEITEM GetRootItem() const { return GetNextItem(0, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM h) const { return GetNextItem(h, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return m_hCaret; }

    bool Expand(HTREEITEM hItem, TreeExpand nCode);
    bool IsExpanded(HTREEITEM hItem) const {
        return IsValid(hItem) && hItem - 1 < m_expanded.size() && m_expanded[hItem - 1];
    }

    // Makes hItem (or nothing, for 0) the caret item, expanding its ancestors.
    // When the selection changes, m_onSelChanged runs before the call returns.
    bool SelectItem(HTREEITEM hItem);

    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(m_items.size()); }
    bool IsValid(HTREEITEM hItem) const { return hItem >= 1 && hItem <= m_items.size(); }

    void DeleteAllItems();
    // Room for nItems more items and about nTextBytes more caption bytes;
    // only what is filled is touched.
    void Reserve(std::uint32_t nItems, std::size_t nTextBytes);

    // (old caret, new caret)
    std::function<void(HTREEITEM, HTREEITEM)> m_onSelChanged;

private:
    // 20 bytes: a million items are 20 MB of pages to fault in, and every
    // field less is a fifth of that. Siblings form a ring: the last one's
    // hNext is the first one, marked with kRingEnd, so the parent needs only
    // its last child to reach both ends.
    struct Item {
        HTREEITEM hParent; // 0 at the top level
        HTREEITEM hLastChild;
        HTREEITEM hNext;        // next sibling, or the first one | kRingEnd
        std::uint32_t nTextEnd; // end of the caption in the chunks; see TextStart
        std::int32_t nData;
    };
    static constexpr HTREEITEM kRingEnd = 0x80000000u;
    // Handles stay below kRingEnd.
    static constexpr std::size_t kMaxItems = kRingEnd - 1;

    // Where a caption ending at nEnd starts, behind one ending at nPrevEnd:
    // right there, or at the next chunk when it would not fit in the rest of
    // the one nPrevEnd is in.
    static std::uint64_t TextStart(std::uint64_t nPrevEnd, std::uint64_t nLength) {
        return nPrevEnd % kTextChunkBytes + nLength <= kTextChunkBytes
                   ? nPrevEnd
                   : (nPrevEnd / kTextChunkBytes + 1) * kTextChunkBytes;
    }
    void SetExpanded(HTREEITEM hItem, bool bExpanded);
    static void AdviseLargePages(void* pStart, std::size_t nBytes);
    // The chunk for a caption ending nEndInChunk bytes into chunk nChunk:
    // the last one grown or a new one.
    void MakeTextRoom(std::size_t nChunk, std::size_t nEndInChunk);
    std::uint32_t PrevTextEnd(HTREEITEM h) const { return h == 1 ? 0 : At(h - 1).nTextEnd; }

    const Item& At(HTREEITEM h) const { return m_items[h - 1]; }
    Item& At(HTREEITEM h) { return m_items[h - 1]; }

    std::vector<Item> m_items;
    // Sized only once an item is expanded: a build touches none of it.
    std::vector<bool> m_expanded;
    // kTextChunkBytes each but the last, left uninitialised; from malloc or
    // aligned_alloc, so freed with free.
    struct CFree {
        void operator()(char* p) const;
    };
    std::vector<std::unique_ptr<char[], CFree>> m_textChunks;
    std::size_t m_nLastChunkBytes = 0;
    std::uint32_t m_nTextEnd = 0; // of the last caption
    HTREEITEM m_hFirstRoot = 0;
    HTREEITEM m_hLastRoot = 0;
    HTREEITEM m_hCaret = 0;
};
