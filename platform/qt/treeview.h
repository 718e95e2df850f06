#pragma once

#include "platform/qt/treemodel.h"
#include "platform/treectrl.h"

#include <QTreeView>
#include <functional>

// Virtual key codes, as a tree's key notification carries them.
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F2 = 0x71;
inline constexpr int VK_F3 = 0x72;

// The tree control's window: a QTreeView over the tree store with the look
// of a tree with lines and buttons, also at the root, and the selection
// shown when the view has no focus. No header, no sorting, no editing.
//
// The store is the truth: every selection change, by the user or by the
// program (the view's SelectItem or the store's own), goes through the
// store's SelectItem and reaches m_onSelChanged before the call returns;
// the view follows by expanding the item's ancestors and scrolling to it.
class CTreeView : public QTreeView {
public:
    explicit CTreeView(CTreeCtrl& ctlTree, QWidget* pParent = nullptr);
    ~CTreeView() override;

    CTreeCtrl& GetTreeCtrl() { return m_ctlTree; }
    // Shows what the store holds now; call it after filling the store.
    void Reset();

    bool Expand(HTREEITEM hItem, TreeExpand nCode);
    bool SelectItem(HTREEITEM hItem);

    QModelIndex IndexOf(HTREEITEM hItem) const { return m_model.IndexOf(hItem); }
    // Where the item is drawn, in viewport coordinates; empty when it is not shown.
    QRect GetItemRect(HTREEITEM hItem) const;

    // The virtual key code for a Qt key, 0 for keys without one.
    static int VirtualKeyOf(int nQtKey);

    // TVN_SELCHANGED: (old item, new item).
    std::function<void(HTREEITEM, HTREEITEM)> m_onSelChanged;
    // TVN_KEYDOWN: the virtual key of a key pressed in the tree, before the
    // tree handles it as usual.
    std::function<void(int)> m_onKeyDown;

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void drawBranches(QPainter* pPainter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    void OnStoreSelChanged(HTREEITEM hOld, HTREEITEM hNew);
    void OnViewSelectionChanged();
    void OnCollapsed(const QModelIndex& index);
    void ShowSelection(HTREEITEM hItem);

    CTreeCtrl& m_ctlTree;
    CTreeModel m_model;
    bool m_bFollowingStore = false;
};
