#include "tools/dbcheck.h"

#include "data/aircraftrecord.h"
#include "data/databasefiles.h"
#include "data/striprecord.h"
#include "data/treerecord.h"
#include "mainwnd/typetree.h"
#include "pictures/pictureheader.h"
#include "pictures/pictureseries.h"
#include "platform/dibsection.h"
#include "platform/treectrl.h"
#include "tools/templatecheck.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

namespace {

// Collects findings; a damaged file can hold millions of the same fault, so
// each kind of finding is listed a bounded number of times and then counted.
class CReport {
public:
    explicit CReport(std::ostream& out) : m_out(out) {}
    ~CReport() { Flush(); }

    void Add(const std::string& strKind, const std::string& strLine) {
        ++m_nProblems;
        if (++m_counts[strKind] <= kMaxPerKind)
            m_out << strLine << '\n';
    }

    void Flush() {
        for (auto& [strKind, nCount] : m_counts)
            if (nCount > kMaxPerKind) {
                m_out << "... and " << nCount - kMaxPerKind << " more: " << strKind << '\n';
                nCount = kMaxPerKind;
            }
    }

    std::int64_t m_nProblems = 0;

private:
    static constexpr std::int64_t kMaxPerKind = 50;
    std::ostream& m_out;
    std::map<std::string, std::int64_t> m_counts;
};

std::string Rec(const char* pszFile, std::int64_t n) {
    return std::string(pszFile) + ": record " + std::to_string(n) + ": ";
}

// A missing file is a finding; the checks that need it are skipped.
bool CheckOpen(CReport& report, const CFile& file, const char* pszName) {
    if (file.IsOpen())
        return true;
    report.Add("missing file", std::string(pszName) + ": missing or cannot be read");
    return false;
}

void CheckFragment(CReport& report, const CRecordFile& file, const char* pszName) {
    const std::uint64_t nLength = file.GetLength();
    const auto nSize = static_cast<std::uint64_t>(file.m_nRecordSize);
    if (nLength % nSize != 0)
        report.Add("trailing fragment", std::string(pszName) + ": trailing fragment of " +
                                            std::to_string(nLength % nSize) +
                                            " bytes after record " +
                                            std::to_string(nLength / nSize - 1) + " (records are " +
                                            std::to_string(nSize) + " bytes)");
    if (nLength > static_cast<std::uint64_t>(INT32_MAX))
        report.Add("too long", std::string(pszName) + ": longer than 2 GiB; records beyond " +
                                   "byte 2147483647 cannot be read");
}

// The runs of the pool between NULs that are longer than a string may be,
// found in one pass: millions of references into a pool without a NUL then
// cost a lookup each, not a read of the string bound each.
class CLongRuns {
public:
    explicit CLongRuns(CStringPoolFile& pool) {
        if (!pool.IsOpen())
            return;
        m_nLength = pool.GetLength();
        pool.Seek(0, CFile::begin);
        std::vector<char> chunk(1 << 16);
        std::uint64_t nRunStart = 0, nPos = 0;
        for (std::size_t n; (n = pool.Read(chunk.data(), chunk.size())) != 0; nPos += n)
            for (std::size_t i = 0; i < n; ++i)
                if (chunk[i] == '\0') {
                    Add(nRunStart, nPos + i);
                    nRunStart = nPos + i + 1;
                }
        Add(nRunStart, nPos);
        m_nLength = nPos;
        if (nRunStart < nPos)
            m_nUnterminated = nRunStart;
    }

    std::uint64_t Length() const { return m_nLength; }
    // Where the pool's last string starts when no NUL ends it: every string
    // from there runs on to the end of the file.
    std::optional<std::uint64_t> Unterminated() const { return m_nUnterminated; }

    // Whether the string at nOffset (inside the pool) is cut by ReadString.
    bool IsCut(std::uint64_t nOffset) const {
        auto it = std::upper_bound(m_runs.begin(), m_runs.end(), std::pair{nOffset, UINT64_MAX});
        if (it == m_runs.begin())
            return false;
        --it;
        return nOffset < it->second && it->second - nOffset > CStringPoolFile::kMaxStringBytes;
    }

private:
    void Add(std::uint64_t nStart, std::uint64_t nEnd) {
        if (nEnd - nStart > CStringPoolFile::kMaxStringBytes)
            m_runs.emplace_back(nStart, nEnd);
    }

    std::vector<std::pair<std::uint64_t, std::uint64_t>> m_runs; // [start, NUL or end)
    std::uint64_t m_nLength = 0;
    std::optional<std::uint64_t> m_nUnterminated;
};

// Without the pool (named once as missing) there is nothing to check against.
// The record's location is formatted only for a finding: most references are
// sound and a million of them would otherwise each cost a string.
void CheckStringRef(CReport& report, const CLongRuns* pPool, const char* pszFile,
                    std::int64_t nRecord, const char* pszField, std::int32_t nOffset) {
    if (!pPool)
        return;
    const std::uint64_t nPoolLength = pPool->Length();
    if (nOffset < 0 || static_cast<std::uint64_t>(nOffset) >= nPoolLength) {
        report.Add("string reference outside the pool",
                   Rec(pszFile, nRecord) + pszField + " " + std::to_string(nOffset) +
                       " is outside Strings.dat (" + std::to_string(nPoolLength) + " bytes)");
        return;
    }
    if (pPool->IsCut(static_cast<std::uint64_t>(nOffset)))
        report.Add("string too long", Rec(pszFile, nRecord) + pszField + " " +
                                          std::to_string(nOffset) + ": the string is longer than " +
                                          std::to_string(CStringPoolFile::kMaxStringBytes) +
                                          " bytes; the viewer shows only that much of it");
}

// Records are checked in blocks of this many: one read per block, not one
// seek and read per record. 4096 records of the largest kind are 624 KiB.
constexpr std::int64_t kRecordsPerRead = 4096;

// Calls f(n, bytes) for the records 0 to nRecords - 1 of file, in order,
// stopping at the first that cannot be read whole.
template <class F> void ForEachRecord(CRecordFile& file, std::int64_t nRecords, F f) {
    const auto nSize = static_cast<std::size_t>(file.m_nRecordSize);
    std::vector<unsigned char> block(static_cast<std::size_t>(kRecordsPerRead) * nSize);
    file.Seek(0, CFile::begin);
    for (std::int64_t nFirst = 0; nFirst < nRecords; nFirst += kRecordsPerRead) {
        const auto nWanted =
            static_cast<std::size_t>(std::min<std::int64_t>(kRecordsPerRead, nRecords - nFirst));
        const std::size_t nRead = file.Read(block.data(), nWanted * nSize) / nSize;
        for (std::size_t i = 0; i < nRead; ++i)
            f(nFirst + static_cast<std::int64_t>(i), block.data() + i * nSize);
        if (nRead < nWanted)
            return;
    }
}

void CheckTree(CReport& report, CDatabaseFiles& files, const CLongRuns* pPool, bool bTypes,
               std::int64_t nTypes, CheckSummary& summary) {
    CTreeCtrl ctlTree;
    const std::int32_t nNoPosition = -1;
    CTypeTree typeTree(ctlTree, files, &nNoPosition);
    typeTree.Build();
    summary.nTreeItems = ctlTree.GetCount();

    const std::int64_t nRecords =
        std::min<std::int64_t>(files.m_fileTree.GetRecordCount(), std::int64_t{INT32_MAX} / 12);
    if (summary.nTreeItems < nRecords) {
        const std::int64_t nFirst = summary.nTreeItems;
        unsigned char bytes[TreeRecord::kSize];
        files.m_fileTree.ReadRecord(static_cast<std::int32_t>(nFirst), bytes);
        const TreeRecord rec = TreeRecord::FromBytes(bytes);
        const std::string strLeftOut = "the viewer leaves out records " + std::to_string(nFirst) +
                                       " to " + std::to_string(nRecords - 1) + " (" +
                                       std::to_string(nRecords - nFirst) + " records)";
        if (typeTree.m_bBoundReached)
            report.Add("tree too large", Rec(CDatabaseFiles::kTreeName, nFirst) +
                                             "the tree holds at most " +
                                             std::to_string(kMaxTreeItems) + " items and " +
                                             std::to_string(kMaxTreeCaptionBytes) +
                                             " bytes of captions; " + strLeftOut);
        const std::string strWhy = nFirst == 0
                                       ? "the first record must have parent -1"
                                       : "parent must be -1, record " + std::to_string(nFirst - 1) +
                                             " or an open ancestor of it";
        if (!typeTree.m_bBoundReached)
            report.Add("tree order", Rec(CDatabaseFiles::kTreeName, nFirst) +
                                         "out of depth-first order: parent " +
                                         std::to_string(rec.parent) + ", but " + strWhy + "; " +
                                         strLeftOut);
    }
    ForEachRecord(files.m_fileTree, nRecords, [&](std::int64_t n, const unsigned char* p) {
        const TreeRecord rec = TreeRecord::FromBytes(p);
        CheckStringRef(report, pPool, CDatabaseFiles::kTreeName, n, "caption offset",
                       rec.nameOffset);
        if (bTypes && rec.item >= nTypes)
            report.Add("item data past AircraftItems.dat",
                       Rec(CDatabaseFiles::kTreeName, n) + "item data " + std::to_string(rec.item) +
                           " points past AircraftItems.dat (" + std::to_string(nTypes) +
                           " records)");
    });
}

// One picture record at nOffset: a header the viewer can show, a colour table
// inside the record, a stream that decodes completely and ends exactly where
// biSizeImage says. Returns the record's length to step on by, 0 when the
// record cannot be walked past. Picture 0 is the preview.
std::uint32_t CheckPictureRecord(CReport& report, CFile& file, std::uint64_t nOffset,
                                 std::int64_t nType, std::int32_t nPicture) {
    const auto where = [&] {
        return std::string(CDatabaseFiles::kPicturesName) + ": type record " +
               std::to_string(nType) +
               (nPicture == 0 ? std::string(", preview")
                              : ", picture " + std::to_string(nPicture)) +
               " at offset " + std::to_string(nOffset) + ": ";
    };
    file.Seek(static_cast<std::int64_t>(nOffset), CFile::begin);
    unsigned char bytes[kPictureHeaderSize];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes) {
        report.Add("picture header", where() + "the file ends inside the header");
        return 0;
    }
    const BITMAPINFOHEADER hdr = DecodeBitmapInfoHeader(bytes);
    const std::uint64_t nTable = ColourTableEntries(hdr) * kColourEntrySize;
    std::string strBad;
    if (hdr.biSize != kPictureHeaderSize)
        strBad = "biSize " + std::to_string(hdr.biSize) + " is not 40";
    else if (hdr.biPlanes != 1)
        strBad = "biPlanes " + std::to_string(hdr.biPlanes) + " is not 1";
    else if (hdr.biCompression != 0)
        strBad = "biCompression " + std::to_string(hdr.biCompression) + " is not 0";
    else if (hdr.biBitCount != 1 && hdr.biBitCount != 4 && hdr.biBitCount != 8 &&
             hdr.biBitCount != 24)
        strBad = "biBitCount " + std::to_string(hdr.biBitCount) + " is not 1, 4, 8 or 24";
    else if (hdr.biWidth <= 0 || hdr.biHeight <= 0)
        strBad = "size " + std::to_string(hdr.biWidth) + " x " + std::to_string(hdr.biHeight) +
                 " is not positive";
    else if (kPictureHeaderSize + nTable > hdr.biSizeImage)
        strBad = "the colour table of " + std::to_string(nTable) +
                 " bytes does not fit in the record's " + std::to_string(hdr.biSizeImage) +
                 " bytes (biSizeImage)";
    if (!strBad.empty()) {
        report.Add("picture header", where() + strBad);
        return hdr.biSizeImage >= kPictureHeaderSize ? hdr.biSizeImage : 0;
    }
    file.Seek(static_cast<std::int64_t>(nOffset), CFile::begin);
    int nResult = 0;
    std::size_t nDecoded = 0;
    const std::unique_ptr<CDibSection> pDib = ReadPicture(file, &nResult, &nDecoded);
    if (!pDib) {
        report.Add("picture header", where() + "the picture (" + std::to_string(hdr.biWidth) +
                                         " x " + std::to_string(hdr.biHeight) + ", " +
                                         std::to_string(hdr.biBitCount) +
                                         " bits) cannot be made into a bitmap");
        return hdr.biSizeImage;
    }
    const std::uint64_t nEnd = nOffset + hdr.biSizeImage;
    // The last row needs its pixels only, not the padding behind them.
    const std::size_t nPixelBytes =
        pDib->GetStride() * static_cast<std::size_t>(hdr.biHeight - 1) +
        (static_cast<std::size_t>(hdr.biWidth) * hdr.biBitCount + 7) / 8;
    if (nResult != 1)
        report.Add("picture stream", where() + "the compressed stream does not decode");
    else if (nDecoded < nPixelBytes)
        report.Add("picture stream", where() + "the stream ends after " + std::to_string(nDecoded) +
                                         " of the " + std::to_string(nPixelBytes) +
                                         " bytes of its " + std::to_string(hdr.biWidth) + " x " +
                                         std::to_string(hdr.biHeight) +
                                         " pixels; the viewer shows colour 0 for the rest");
    else if (file.GetPosition() != nEnd)
        report.Add("picture stream", where() + "the stream ends at offset " +
                                         std::to_string(file.GetPosition()) +
                                         ", not at the record's end " + std::to_string(nEnd));
    return hdr.biSizeImage;
}

// Where each type's pictures start: the preview offset of every type with
// pictures, to the first type record naming it.
using PreviewStarts = std::map<std::uint64_t, std::int64_t>;

PreviewStarts CollectPreviews(CDatabaseFiles& files, std::int64_t nTypes) {
    PreviewStarts starts;
    ForEachRecord(files.m_fileAircraft, nTypes, [&](std::int64_t n, const unsigned char* p) {
        const AircraftRecord rec = AircraftRecord::FromBytes(p);
        if (HasPictures(rec))
            starts.emplace(static_cast<std::uint32_t>(rec.previewOffset), n);
    });
    return starts;
}

// Returns the picture records found: the preview and the series records the
// walk reached before the file or another type's pictures.
std::int64_t CheckPictures(CReport& report, CDatabaseFiles& files, const PreviewStarts& starts,
                           std::int64_t n, const AircraftRecord& rec) {
    CFile& file = files.m_filePictures;
    const std::uint64_t nLength = file.GetLength();
    std::uint64_t nOffset = static_cast<std::uint32_t>(rec.previewOffset);
    if (nOffset >= nLength) {
        report.Add("picture offset", Rec(CDatabaseFiles::kAircraftName, n) + "preview offset " +
                                         std::to_string(nOffset) + " lies outside " +
                                         CDatabaseFiles::kPicturesName + " (" +
                                         std::to_string(nLength) + " bytes)");
        return 0;
    }
    const std::uint64_t nPreview = nOffset;
    std::int64_t nFound = 1;
    file.Seek(static_cast<std::int64_t>(nOffset), CFile::begin);
    unsigned char bytes[kPictureHeaderSize];
    if (file.Read(bytes, sizeof bytes) == sizeof bytes &&
        DecodeBitmapInfoHeader(bytes).biBitCount != kPreviewBitCount)
        report.Add("preview depth", Rec(CDatabaseFiles::kAircraftName, n) + "the preview has " +
                                        std::to_string(DecodeBitmapInfoHeader(bytes).biBitCount) +
                                        " bits per pixel; the viewer draws only " +
                                        std::to_string(kPreviewBitCount));
    std::uint32_t nStep = CheckPictureRecord(report, file, nOffset, n, 0);
    for (std::int32_t k = 1; k <= rec.pictureCount && nStep != 0; ++k) {
        nOffset += nStep;
        if (nOffset >= nLength) {
            report.Add("picture count", Rec(CDatabaseFiles::kAircraftName, n) + "picture count " +
                                            std::to_string(rec.pictureCount) + ", but " +
                                            CDatabaseFiles::kPicturesName + " holds only " +
                                            std::to_string(k - 1) +
                                            " series records after its preview");
            return nFound;
        }
        const auto it = starts.find(nOffset);
        if (it != starts.end() && nOffset != nPreview) {
            report.Add("picture count into another type",
                       Rec(CDatabaseFiles::kAircraftName, n) + "picture count " +
                           std::to_string(rec.pictureCount) + " runs into another type's " +
                           "pictures: picture " + std::to_string(k) + " at offset " +
                           std::to_string(nOffset) + " is the preview of type record " +
                           std::to_string(it->second));
            return nFound;
        }
        ++nFound;
        nStep = CheckPictureRecord(report, file, nOffset, n, k);
    }
    return nFound;
}

void CheckTypes(CReport& report, CDatabaseFiles& files, const CLongRuns* pPool,
                CheckSummary& summary) {
    const bool bStrips = files.m_fileStrips.IsOpen();
    const std::int64_t nStripRows = bStrips ? files.m_fileStrips.GetRecordCount() : 0;
    // An empty picture file turns every preview offset away before the
    // starts are looked at, so they are not collected for it.
    const PreviewStarts starts = files.m_filePictures.IsOpen() && files.m_filePictures.GetLength()
                                     ? CollectPreviews(files, summary.nTypes)
                                     : PreviewStarts{};
    ForEachRecord(
        files.m_fileAircraft, summary.nTypes, [&](std::int64_t n, const unsigned char* p) {
            const AircraftRecord rec = AircraftRecord::FromBytes(p);
            const std::pair<const char*, std::int32_t> refs[] = {
                {"firm", rec.firm},   {"country", rec.country}, {"text", rec.text},
                {"model", rec.model}, {"name", rec.name},       {"type", rec.type}};
            for (const auto& [pszField, nOffset] : refs)
                CheckStringRef(report, pPool, CDatabaseFiles::kAircraftName, n, pszField, nOffset);
            const auto where = [n] { return Rec(CDatabaseFiles::kAircraftName, n); };

            if (rec.stripCount < 0)
                report.Add("negative strip count", where() + "strip row count " +
                                                       std::to_string(rec.stripCount) +
                                                       " is negative");
            else if (bStrips && rec.stripCount > 0 &&
                     (rec.firstStrip < 0 ||
                      std::int64_t{rec.firstStrip} + rec.stripCount > nStripRows))
                report.Add("strip rows outside FlightStrips.dat",
                           where() + "strip rows " + std::to_string(rec.firstStrip) + " to " +
                               std::to_string(std::int64_t{rec.firstStrip} + rec.stripCount - 1) +
                               " lie outside FlightStrips.dat (" + std::to_string(nStripRows) +
                               " rows)");
            if (rec.stripCount > kMaxStripRows)
                report.Add("too many strip rows",
                           where() + "strip row count " + std::to_string(rec.stripCount) +
                               " is beyond the " + std::to_string(kMaxStripRows) +
                               " rows a table shows; the rest are left out");

            if (rec.pictureCount < 0 || rec.previewOffset < 0)
                report.Add("negative picture fields",
                           where() + "picture count " + std::to_string(rec.pictureCount) +
                               " and preview offset " + std::to_string(rec.previewOffset) +
                               " must not be negative");
            else if (HasPictures(rec) && files.m_filePictures.IsOpen())
                summary.nPictures += CheckPictures(report, files, starts, n, rec);
        });
}

} // namespace

CheckSummary CheckDatabase(const std::string& strDir, std::ostream& out) {
    CheckSummary summary;
    CReport report(out);
    CDatabaseFiles files;
    files.Open(strDir);

    const bool bPool = CheckOpen(report, files.m_fileStrings, CDatabaseFiles::kStringsName);
    const bool bTree = CheckOpen(report, files.m_fileTree, CDatabaseFiles::kTreeName);
    const bool bTypes = CheckOpen(report, files.m_fileAircraft, CDatabaseFiles::kAircraftName);
    CheckOpen(report, files.m_filePictures, CDatabaseFiles::kPicturesName);
    const bool bStrips = CheckOpen(report, files.m_fileStrips, CDatabaseFiles::kStripsName);

    if (bTree)
        CheckFragment(report, files.m_fileTree, CDatabaseFiles::kTreeName);
    if (bTypes) {
        CheckFragment(report, files.m_fileAircraft, CDatabaseFiles::kAircraftName);
        summary.nTypes = std::min<std::int64_t>(files.m_fileAircraft.GetRecordCount(),
                                                std::int64_t{INT32_MAX} / AircraftRecord::kSize);
    }
    if (bStrips)
        CheckFragment(report, files.m_fileStrips, CDatabaseFiles::kStripsName);
    // Without the pool the viewer cannot caption a single item; the tree
    // checks need the captions, so they wait for a pool.
    const CLongRuns pool(files.m_fileStrings);
    const CLongRuns* pPool = bPool ? &pool : nullptr;
    // Said once for the pool: the captions and values that point there show
    // the bytes of whatever follows as their own.
    if (pPool && pool.Unterminated())
        report.Add("string without NUL", std::string(CDatabaseFiles::kStringsName) +
                                             ": no NUL ends the string at " +
                                             std::to_string(*pool.Unterminated()) +
                                             "; it runs on to the end of the file");
    if (bTree && bPool)
        CheckTree(report, files, pPool, bTypes, summary.nTypes, summary);
    if (bTypes)
        CheckTypes(report, files, pPool, summary);

    for (const std::string& strProblem : CheckTemplates(strDir))
        report.Add("template", strProblem);

    report.Flush();
    summary.nProblems = report.m_nProblems;
    return summary;
}
