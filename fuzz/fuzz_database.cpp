// Fuzz target: arbitrary bytes split into the five data files of a database
// beside the sample's two templates, then everything the viewer does with
// them: the tree build, every type's card and additional data, every picture
// of every series, searches from several places, and `verlumo-db check`.
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/stringpoolfile.h"
#include "data/striprecord.h"
#include "extra/extradata.h"
#include "fuzz/fuzzdir.h"
#include "mainwnd/itemcard.h"
#include "mainwnd/statictext.h"
#include "mainwnd/typetree.h"
#include "pictures/pictureheader.h"
#include "pictures/pictureseries.h"
#include "platform/dibsection.h"
#include "platform/richeditctrl.h"
#include "platform/treectrl.h"
#include "search/searchwalk.h"
#include "tools/dbcheck.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The input's header: four little-endian 16-bit lengths (tree, aircraft,
// strips, pictures), then the remembered position; the rest is the pool.
constexpr std::size_t kHeaderBytes = 9;
// Cards and searches cost per type; a few dozen reach every kind of record
// the fuzzer can make in 64 KiB while keeping an input well under a second.
constexpr int kMaxCards = 48;
// Pictures are decoded only up to this size; CDibSection's own bounds are
// tested by the unit tests, and zeroing larger ones only slows the search.
constexpr std::uint64_t kMaxFuzzPixelBytes = std::uint64_t{1} << 20;

void Check(bool bCondition) {
    if (!bCondition)
        std::abort();
}

// Short templates with both markers and a colon for every value.
constexpr std::string_view kCardTemplate =
    "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0\\fs20 "
    "A:\\par B:\\par C:\\par D:\\par E:\\par F:\\par \\'d2\\'d2\\'d5\\par "
    "a:\\par b:\\par c:\\par d:\\par e:\\par f:\\par g:\\par h:\\par i:\\par "
    "\\'d1\\'ea\\'ee\\'f0\\'ee\\'f1\\'f2\\'e8\\par 1:\\par 2:\\par 3:\\par 4:\\par 5:\\par "
    "6:\\par 7:\\par}";
constexpr std::string_view kExtraTemplate =
    "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0\\fs20 "
    "Strips\\tab a\\tab b\\par\\par \\'d1\\'ea\\'ee\\'f0\\'ee\\'f1\\'f2\\'e8\\par "
    "1:\\par 2:\\par 3:\\par 4:\\par 5:\\par 6:\\par \\'d2\\'d2\\'d5\\par "
    "a:\\par b:\\par c:\\par d:\\par e:\\par f:\\par g:\\par h:\\par i:\\par}";

const std::string& ScratchDir() {
    static const bool bTemplates = [] {
        WriteFuzzFile(CDatabaseFiles::kCardTemplateName, kCardTemplate.data(),
                      kCardTemplate.size());
        WriteFuzzFile(CDatabaseFiles::kExtraTemplateName, kExtraTemplate.data(),
                      kExtraTemplate.size());
        return true;
    }();
    (void)bTemplates;
    return FuzzScratchDir();
}

// Every picture of the type as the picture viewer shows it, the large ones
// passed over.
void ShowPictures(CFile& file, const CAircraftText& text) {
    if (!HasPictures(text.m_record))
        return;
    (void)ReadPreview(file, text.m_record);
    const PictureSeries series = ScanPictures(file, text.m_record);
    Check(series.offsets.size() <= static_cast<std::size_t>(text.m_record.pictureCount));
    for (std::uint32_t nOffset : series.offsets) {
        file.Seek(nOffset, CFile::begin);
        unsigned char header[kPictureHeaderSize];
        if (file.Read(header, sizeof header) != sizeof header)
            continue;
        const BITMAPINFOHEADER h = DecodeBitmapInfoHeader(header);
        if (h.biWidth <= 0 || h.biHeight <= 0 || h.biBitCount > 32 ||
            CDibSection::StrideFor(h.biWidth, h.biBitCount) *
                    static_cast<std::uint64_t>(h.biHeight) >
                kMaxFuzzPixelBytes)
            continue;
        file.Seek(nOffset, CFile::begin);
        (void)ReadPicture(file);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < kHeaderBytes)
        return 0;
    const std::string& strDir = ScratchDir();
    const char* names[5] = {CDatabaseFiles::kTreeName, CDatabaseFiles::kAircraftName,
                            CDatabaseFiles::kStripsName, CDatabaseFiles::kPicturesName,
                            CDatabaseFiles::kStringsName};
    std::size_t nAt = kHeaderBytes;
    for (int i = 0; i < 5; ++i) {
        const std::size_t nLength = i < 4 ? pData[2 * i] | pData[2 * i + 1] << 8 : nSize;
        const std::size_t n = std::min(nLength, nSize - nAt);
        WriteFuzzFile(names[i], pData + nAt, n);
        nAt += n;
    }

    CDatabaseFiles files;
    files.Open(strDir);
    CTreeCtrl ctl;
    const std::int32_t nFirst = pData[8] == 0xFF ? -1 : pData[8];
    CTypeTree tree(ctl, files, &nFirst);
    tree.Build();

    // The walk visits every item once, and positions are record numbers.
    std::vector<HTREEITEM> items;
    for (HTREEITEM h = tree.GetNextTreeItem(0); h; h = tree.GetNextTreeItem(h)) {
        Check(items.size() < ctl.GetCount());
        Check(tree.GetItemPosition(h) == static_cast<std::int32_t>(items.size()));
        Check(tree.GetItemAtPosition(static_cast<std::int32_t>(items.size())) == h);
        items.push_back(h);
    }
    Check(items.size() == ctl.GetCount());
    Check(!tree.GetItemAtPosition(static_cast<std::int32_t>(items.size())));

    // Each type's card, its additional data and its pictures, as selecting it
    // and pressing the two buttons shows them.
    const std::string strCard = CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kCardTemplateName);
    const std::string strExtra = CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kExtraTemplateName);
    CRichEditCtrl ctlGeneral, ctlSpecs, ctlSpeeds;
    LoadStaticText(ctlGeneral, ECardPane::general, strCard);
    LoadStaticText(ctlSpecs, ECardPane::specs, strCard);
    LoadStaticText(ctlSpeeds, ECardPane::speeds, strCard);
    CAircraftText card(&files);
    CItemCard itemCard(card, ctlGeneral, ctlSpecs, ctlSpeeds);
    int nCards = 0;
    for (HTREEITEM h : items) {
        if (nCards++ == kMaxCards)
            break;
        const std::int32_t nItem = static_cast<std::int32_t>(ctl.GetItemData(h));
        itemCard.ShowItem(nItem);
        if (nItem < 0)
            continue;
        for (int nSlot = 1; nSlot <= CAircraftText::kSlotCount; ++nSlot)
            Check(card.GetText(nSlot).size() <= CStringPoolFile::kMaxStringBytes);
        const auto rows = ReadStripRows(files.m_fileStrips, card.m_record);
        Check(rows.size() <= static_cast<std::size_t>(kMaxStripRows));
        CRichEditCtrl ctlStrips, ctlExtraSpeeds, ctlExtraSpecs;
        FillExtraPanes(ctlStrips, ctlExtraSpeeds, ctlExtraSpecs, card, files, strExtra);
        ShowPictures(files.m_filePictures, card);
    }

    // Searches from nothing, the first and the last item, for a word of the
    // pool and for what no type holds.
    CAircraftText match(&files);
    std::string strWord;
    files.m_fileStrings.ReadString(pData[8], strWord);
    strWord.resize(std::min<std::size_t>(strWord.size(), 8));
    for (std::string_view strFind : {std::string_view(strWord), std::string_view("\xC0")})
        for (HTREEITEM hFrom : {HTREEITEM{0}, items.empty() ? HTREEITEM{0} : items.front(),
                                items.empty() ? HTREEITEM{0} : items.back()}) {
            const HTREEITEM hFound =
                FindNextMatch(tree, match, strFind, pData[8] & 1, kStartFromCurrent, hFrom);
            Check(!hFound || (tree.GetItemPosition(hFound) > tree.GetItemPosition(hFrom) &&
                              ctl.GetItemData(hFound) >= 0));
        }
    files.Close();

    // The check reads the same files and counts the same tree.
    std::ostringstream out;
    const CheckSummary summary = CheckDatabase(strDir, out);
    Check(summary.nTreeItems == static_cast<std::int64_t>(items.size()));
    return 0;
}

// A small well-formed database: the worked tree of five items, two types
// with strings, strip rows and a picture series of one 4 x 2 picture.
std::vector<std::uint8_t> FuzzSeed() {
    std::string tree, aircraft, strips, pictures;
    auto put32 = [](std::string& out, std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>(static_cast<std::uint32_t>(v) >> (8 * i)));
    };
    const std::int32_t treeRecords[5][3] = {
        {-1, -1, 0}, {0, 0, 2}, {0, -1, 4}, {2, 1, 6}, {-1, -1, 0}};
    for (const auto& rec : treeRecords)
        for (std::int32_t v : rec)
            put32(tree, v);
    // String references (fields 0-2, 17, 18, 31) name "B"; the strip fields
    // (29, 30) name two rows; type 1 has two pictures at 0; the rest are values.
    for (int t = 0; t < 2; ++t)
        for (int f = 0; f < 39; ++f) {
            const bool bString = f < 3 || f == 17 || f == 18 || f == 31;
            put32(aircraft, bString   ? 2
                            : f == 29 ? t
                            : f == 30 ? 2
                            : f == 19 ? t
                            : f == 20 ? 0
                                      : f * 100);
        }
    for (int i = 0; i < 9; ++i)
        put32(strips, i * 1000);
    // Two records of a 4 x 2 8-bit picture with two colours and the stream
    // of a clear code, eight literal 1s and the end code.
    for (int n = 0; n < 2; ++n) {
        std::string rec;
        const std::int32_t header[] = {40, 4, 2, 1 | 8 << 16, 0, 0, 0, 0, 2, 0};
        for (std::int32_t v : header)
            put32(rec, v);
        rec += std::string("\0\0\0\0\xFF\xFF\xFF\0", 8);
        rec += std::string("\x00\x03\x0C\x30\xC0\x00\x03\x0C\x30\x02\x02", 11);
        const std::int32_t nLength = static_cast<std::int32_t>(rec.size());
        for (int i = 0; i < 4; ++i)
            rec[20 + i] = static_cast<char>(nLength >> (8 * i));
        pictures += rec;
    }
    std::string pool("A\0B\0C\0\xC0\xC1\0", 8);
    std::vector<std::uint8_t> out;
    for (const std::string* part : {&tree, &aircraft, &strips, &pictures}) {
        out.push_back(static_cast<std::uint8_t>(part->size()));
        out.push_back(static_cast<std::uint8_t>(part->size() >> 8));
    }
    out.push_back(0);
    for (const std::string* part : {&tree, &aircraft, &strips, &pictures, &pool})
        out.insert(out.end(), part->begin(), part->end());
    return out;
}
