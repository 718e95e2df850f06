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

    // The tree, the types and the pool are all the search reads.
    CDatabaseFiles files;
    files.m_fileTree.Open(CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kTreeName));
    files.m_fileAircraft.Open(CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kAircraftName));
    files.m_fileStrings.Open(CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kStringsName));
    const auto notInTree = [&] {
        err << "verlumo-db search: position " << *nFrom << " is not in the tree of " << strDir
            << '\n';
        return kExitBadInput;
    };
    // The tree holds at most one item per record, so a position past the
    // records is refused from the file's length, before any walk. One within
    // them may still lie past where the build stops.
    const bool bFromItem = nFrom && *nFrom != -1;
    if (bFromItem &&
        (*nFrom < 0 || !files.m_fileTree.IsOpen() || *nFrom >= files.m_fileTree.GetRecordCount()))
        return notInTree();

    // The records alone say where each item stands: no tree of captions.
    CTreeCtrl ctlTree;
    CTypeTree tree(ctlTree, files, nullptr);
    CAircraftText match(&files);
    const RecordMatch found =
        FindMatchInRecords(tree, match, *strFind, bWholeWord, bFromItem ? *nFrom : -1);
    if (!found.bStartInTree)
        return notInTree();
    if (found.nFound < 0) {
        out << "Строка не найдена\n";
        return kExitNotFound;
    }
    out << found.nFound << '\n';
    return kExitFound;
}
