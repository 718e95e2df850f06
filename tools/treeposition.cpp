#include "tools/treeposition.h"

#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "platform/treectrl.h"

std::optional<std::int32_t> ItemDataAtPosition(CDatabaseFiles& files, std::int32_t nPosition) {
    CTreeCtrl ctlTree;
    CTypeTree tree(ctlTree, files, &nPosition);
    tree.Build();
    if (!tree.m_hSelectedItem)
        return std::nullopt;
    return ctlTree.GetItemData(tree.m_hSelectedItem);
}
