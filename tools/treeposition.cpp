#include "tools/treeposition.h"

#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "platform/treectrl.h"

std::optional<std::int32_t> ItemDataAtPosition(CDatabaseFiles& files, std::int32_t nPosition) {
    CTreeCtrl ctlTree;
    CTypeTree tree(ctlTree, files, &nPosition);
    files.m_fileTree.m_nCursor = 0;
    tree.BuildTree(-1, TVI_ROOT);
    if (!tree.m_hSelectedItem)
        return std::nullopt;
    return ctlTree.GetItemData(tree.m_hSelectedItem);
}
