#include "tools/treeposition.h"

#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "platform/treectrl.h"

std::optional<std::int32_t> ItemDataAtPosition(CDatabaseFiles& files, std::int32_t nPosition) {
    // A card or a picture series needs one item: the records up to it
    // decide where it stands, no tree of captions is built.
    CTreeCtrl ctlTree;
    CTypeTree tree(ctlTree, files, nullptr);
    return tree.FindItemData(nPosition);
}
