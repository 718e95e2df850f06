#include "platform/qt/treeview.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPoint>
#include <vector>

CTreeView::CTreeView(CTreeCtrl& ctlTree, QWidget* pParent)
    : QTreeView(pParent), m_ctlTree(ctlTree), m_model(ctlTree) {
    setModel(&m_model);
    setHeaderHidden(true);
    setSortingEnabled(false);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setUniformRowHeights(true); // what keeps a million rows cheap to lay out
    setAnimated(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTextElideMode(Qt::ElideNone);
    setIndentation(19);
    setAllColumnsShowFocus(false);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    m_ctlTree.m_onSelChanged = [this](HTREEITEM hOld, HTREEITEM hNew) {
        OnStoreSelChanged(hOld, hNew);
    };
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { OnViewSelectionChanged(); });
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        m_ctlTree.Expand(CTreeModel::ItemOf(index), TVE_EXPAND);
    });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { OnCollapsed(index); });
}

CTreeView::~CTreeView() {
    m_ctlTree.m_onSelChanged = nullptr;
}

void CTreeView::Reset() {
    m_model.Reset();
    // Whatever the store holds expanded or selected shows from now on.
    for (HTREEITEM h = 1; h <= m_ctlTree.GetCount(); ++h)
        if (m_ctlTree.IsExpanded(h) && m_ctlTree.ItemHasChildren(h))
            QTreeView::expand(IndexOf(h));
    ShowSelection(m_ctlTree.GetSelectedItem());
}

bool CTreeView::Expand(HTREEITEM hItem, TreeExpand nCode) {
    if (!m_ctlTree.Expand(hItem, nCode))
        return false;
    setExpanded(IndexOf(hItem), m_ctlTree.IsExpanded(hItem));
    return true;
}

bool CTreeView::SelectItem(HTREEITEM hItem) {
    const HTREEITEM hOld = m_ctlTree.GetSelectedItem();
    if (!m_ctlTree.SelectItem(hItem))
        return false;
    if (hOld == hItem)
        ShowSelection(hItem); // no change, but it still comes into view
    return true;
}

QRect CTreeView::GetItemRect(HTREEITEM hItem) const {
    return visualRect(IndexOf(hItem));
}

void CTreeView::OnStoreSelChanged(HTREEITEM hOld, HTREEITEM hNew) {
    ShowSelection(hNew);
    if (m_onSelChanged)
        m_onSelChanged(hOld, hNew);
}

void CTreeView::ShowSelection(HTREEITEM hItem) {
    const bool bWasFollowing = m_bFollowingStore;
    m_bFollowingStore = true;
    if (!m_ctlTree.IsValid(hItem)) {
        selectionModel()->clearSelection();
        selectionModel()->clearCurrentIndex();
    } else {
        std::vector<HTREEITEM> ancestors;
        for (HTREEITEM h = m_ctlTree.GetParentItem(hItem); h; h = m_ctlTree.GetParentItem(h))
            ancestors.push_back(h);
        for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
            if (!isExpanded(IndexOf(*it)))
                QTreeView::expand(IndexOf(*it));
        const QModelIndex index = IndexOf(hItem);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        scrollTo(index);
    }
    m_bFollowingStore = bWasFollowing;
}

void CTreeView::OnViewSelectionChanged() {
    if (m_bFollowingStore)
        return;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (!selected.isEmpty()) {
        m_ctlTree.SelectItem(CTreeModel::ItemOf(selected.first()));
        return;
    }
    // A tree control has no way to select nothing once something is selected.
    if (m_ctlTree.GetSelectedItem())
        ShowSelection(m_ctlTree.GetSelectedItem());
}

void CTreeView::OnCollapsed(const QModelIndex& index) {
    const HTREEITEM hItem = CTreeModel::ItemOf(index);
    m_ctlTree.Expand(hItem, TVE_COLLAPSE);
    // A selection hidden inside a closed branch moves up to the branch, as
    // in a tree control.
    for (HTREEITEM h = m_ctlTree.GetParentItem(m_ctlTree.GetSelectedItem()); h;
         h = m_ctlTree.GetParentItem(h)) {
        if (h == hItem) {
            m_ctlTree.SelectItem(hItem);
            break;
        }
    }
}

void CTreeView::focusInEvent(QFocusEvent* pEvent) {
    QTreeView::focusInEvent(pEvent);
    // The item view makes its first row current on focus; a tree control
    // with nothing selected stays so until a key or a click chooses.
    if (!m_ctlTree.GetSelectedItem() && currentIndex().isValid()) {
        const bool bWasFollowing = m_bFollowingStore;
        m_bFollowingStore = true;
        selectionModel()->clearCurrentIndex();
        m_bFollowingStore = bWasFollowing;
    }
}

void CTreeView::keyPressEvent(QKeyEvent* pEvent) {
    if (m_onKeyDown) {
        const int nVirtKey = VirtualKeyOf(pEvent->key());
        if (nVirtKey)
            m_onKeyDown(nVirtKey);
    }
    QTreeView::keyPressEvent(pEvent);
}

int CTreeView::VirtualKeyOf(int nQtKey) {
    if (nQtKey >= Qt::Key_F1 && nQtKey <= Qt::Key_F24)
        return VK_F1 + (nQtKey - Qt::Key_F1);
    if ((nQtKey >= Qt::Key_A && nQtKey <= Qt::Key_Z) ||
        (nQtKey >= Qt::Key_0 && nQtKey <= Qt::Key_9))
        return nQtKey; // the same codes as ASCII capitals and digits
    switch (nQtKey) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Plus:
        return VK_ADD;
    case Qt::Key_Minus:
        return VK_SUBTRACT;
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    default:
        return 0;
    }
}

// Dotted lines from each item to its parent's line and its next sibling,
// and a small box with + or - on every item that has children.
void CTreeView::drawBranches(QPainter* pPainter, const QRect& rect,
                             const QModelIndex& index) const {
    const HTREEITEM hItem = CTreeModel::ItemOf(index);
    if (!hItem)
        return;
    const int nIndent = indentation();
    const int yTop = rect.top();
    const int yBottom = rect.bottom();
    const int yMid = rect.top() + rect.height() / 2;

    std::vector<QPoint> dots;
    auto vertical = [&](int x, int y0, int y1) {
        for (int y = y0; y <= y1; ++y)
            if (((x + y) & 1) == 0)
                dots.emplace_back(x, y);
    };
    auto horizontal = [&](int x0, int x1, int y) {
        for (int x = x0; x <= x1; ++x)
            if (((x + y) & 1) == 0)
                dots.emplace_back(x, y);
    };

    // The item's own column is the last one of the rectangle.
    int x = rect.right() + 1 - nIndent;
    const int xMid = x + nIndent / 2;
    const HTREEITEM hParent = m_ctlTree.GetParentItem(hItem);
    const bool bFirstOfAll = !hParent && hItem == m_ctlTree.GetRootItem();
    if (!bFirstOfAll)
        vertical(xMid, yTop, yMid);
    if (m_ctlTree.GetNextSiblingItem(hItem))
        vertical(xMid, yMid, yBottom);
    horizontal(xMid, x + nIndent - 1, yMid);

    // One column to the left for each ancestor: a line goes through where
    // that ancestor has a sibling still to come. Columns scrolled out of
    // sight are not walked, so a very deep item costs no more than a shallow one.
    for (HTREEITEM h = hParent; h && x > 0; h = m_ctlTree.GetParentItem(h)) {
        x -= nIndent;
        if (m_ctlTree.GetNextSiblingItem(h))
            vertical(x + nIndent / 2, yTop, yBottom);
    }

    pPainter->save();
    pPainter->setPen(QColor(128, 128, 128));
    pPainter->drawPoints(dots.data(), static_cast<int>(dots.size()));
    if (m_ctlTree.ItemHasChildren(hItem)) {
        const QRect box(xMid - 4, yMid - 4, 8, 8);
        pPainter->fillRect(box, palette().color(QPalette::Base));
        pPainter->drawRect(box);
        pPainter->setPen(palette().color(QPalette::Text));
        pPainter->drawLine(xMid - 2, yMid, xMid + 2, yMid);
        if (!isExpanded(index))
            pPainter->drawLine(xMid, yMid - 2, xMid, yMid + 2);
    }
    pPainter->restore();
}
