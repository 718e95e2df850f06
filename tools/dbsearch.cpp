#include "tools/dbsearch.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "platform/cfile.h"
#include "platform/cp1251.h"
#include "platform/treectrl.h"
#include "search/searchwalk.h"

namespace {
constexpr int kExitFound = 0;
constexpr int kExitNotFound = 1;
constexpr int kExitBadInput = 2;
} // namespace

int SearchDatabase(const std::string& strDir, const std::string& strTextUtf8, bool bWholeWord,
                   std::optional<std::int32_t> nFrom, std::ostream& out, std::ostream& err) {
    std::string strBadChar;
    const std::optional<std::string> strFind = cp1251::FromUtf8(strTextUtf8, &strBadChar);
    if (!strFind) {
        err << "verlumo-db search: the text holds \"" << strBadChar
            << "\", which code page 1251 cannot represent\n";
        return kExitBadInput;
    }

    CDatabaseFiles files;
    files.Open(strDir);
    const auto notInTree = [&] {
        err << "verlumo-db search: position " << *nFrom << " is not in the tree of " << strDir
            << '\n';
        return kExitBadInput;
    };
    // The tree holds at most one item per record, so a position past the
    // records is refused from the file's length, before the tree of captions
    // is built. One within them may still lie past where the build stops.
    const bool bFromItem = nFrom && *nFrom != -1;
    if (bFromItem &&
        (*nFrom < 0 || !files.m_fileTree.IsOpen() || *nFrom >= files.m_fileTree.GetRecordCount()))
        return notInTree();
    CTreeCtrl ctlTree;
    CTypeTree tree(ctlTree, files, nullptr);
    tree.Build();

    HTREEITEM hSelected = 0;
    if (bFromItem) {
        hSelected = tree.GetItemAtPosition(*nFrom);
        if (!hSelected)
            return notInTree();
    }

    CAircraftText match(&files);
    const HTREEITEM hFound =
        FindNextMatch(tree, match, *strFind, bWholeWord,
                      nFrom ? kStartFromCurrent : kStartFromBeginning, hSelected);
    if (!hFound) {
        out << "Строка не найдена\n";
        return kExitNotFound;
    }
    out << tree.GetItemPosition(hFound) << '\n';
    return kExitFound;
}
