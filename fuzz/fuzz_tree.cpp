// Fuzz target: arbitrary bytes as Tree.dat over a small pool, built into the
// tree as the viewer builds it. The tree must hold a prefix of the file in
// record order, each item with its record's parent, type and caption, and a
// build stopped by a bound must hold a prefix of the unbounded one.
#include "data/databasefiles.h"
#include "data/stringpoolfile.h"
#include "data/treerecord.h"
#include "fuzz/fuzzdir.h"
#include "mainwnd/typetree.h"
#include "platform/treectrl.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool bCondition) {
    if (!bCondition)
        std::abort();
}

// Captions of every length around the pool's end, one without its NUL.
constexpr char kPoolBytes[] = "\0A\0\xC0\xC1\xC2\0group\0type\0no end";
constexpr std::string_view kPool(kPoolBytes, sizeof kPoolBytes - 1);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    static const bool bPool =
        (WriteFuzzFile(CDatabaseFiles::kStringsName, kPool.data(), kPool.size()), true);
    (void)bPool;
    WriteFuzzFile(CDatabaseFiles::kTreeName, pData, nSize);

    CDatabaseFiles files;
    files.Open(FuzzScratchDir());
    CTreeCtrl ctl;
    const std::int32_t nFirst = nSize > 0 ? pData[0] % 8 : -1;
    CTypeTree tree(ctl, files, &nFirst);
    tree.Build();
    Check(!tree.m_bBoundReached);

    const std::size_t nRecords = nSize / TreeRecord::kSize;
    Check(ctl.GetCount() <= nRecords);
    std::int32_t nPosition = 0;
    for (HTREEITEM h = tree.GetNextTreeItem(0); h; h = tree.GetNextTreeItem(h), ++nPosition) {
        Check(static_cast<std::size_t>(nPosition) < ctl.GetCount());
        Check(tree.GetItemPosition(h) == nPosition);
        const TreeRecord rec = TreeRecord::FromBytes(pData + nPosition * TreeRecord::kSize);
        Check(ctl.GetItemData(h) == rec.item);
        Check(tree.GetItemPosition(ctl.GetParentItem(h)) == rec.parent);
        std::string strCaption;
        if (rec.nameOffset >= 0)
            files.m_fileStrings.ReadString(rec.nameOffset, strCaption);
        Check(ctl.GetItemText(h) == strCaption);
        Check(strCaption.size() <= CStringPoolFile::kMaxStringBytes);
    }
    Check(static_cast<std::uint32_t>(nPosition) == ctl.GetCount());
    Check((tree.m_hSelectedItem != 0) == (nFirst >= 0 && nFirst < nPosition));

    // Half the items, or half the caption bytes: the same prefix, cut short.
    CTreeCtrl ctlBounded;
    CTypeTree bounded(ctlBounded, files, nullptr);
    bounded.m_nMaxItems = ctl.GetCount() / 2;
    bounded.m_nMaxCaptionBytes = nSize % 7 == 0 ? 3 : ~std::uint64_t{0};
    bounded.Build();
    Check(ctlBounded.GetCount() <= bounded.m_nMaxItems);
    Check(bounded.m_bBoundReached == (ctlBounded.GetCount() < ctl.GetCount()));
    for (HTREEITEM h = bounded.GetNextTreeItem(0); h; h = bounded.GetNextTreeItem(h)) {
        const HTREEITEM hFull = tree.GetItemAtPosition(bounded.GetItemPosition(h));
        Check(ctlBounded.GetItemText(h) == ctl.GetItemText(hFull));
        Check(bounded.GetItemPosition(ctlBounded.GetParentItem(h)) ==
              tree.GetItemPosition(ctl.GetParentItem(hFull)));
    }
    return 0;
}

// The worked tree: two groups, a type in each, one nested one level deeper,
// then a record out of order that ends the build.
std::vector<std::uint8_t> FuzzSeed() {
    const std::int32_t records[][3] = {{-1, -1, 13}, {0, 0, 19},   {0, -1, 1}, {2, 1, 3},
                                       {3, 2, 7},    {-1, -2, 24}, {5, 3, 0},  {9, 4, 1}};
    std::vector<std::uint8_t> out;
    for (const auto& rec : records)
        for (std::int32_t v : rec)
            for (int i = 0; i < 4; ++i)
                out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    return out;
}
