#include "tools/dbunbuild.h"

#include "data/databasefiles.h"
#include "data/le.h"
#include "data/striprecord.h"
#include "data/treerecord.h"
#include "mainwnd/typetree.h"
#include "pictures/lzwcodec.h"
#include "pictures/pictureheader.h"
#include "pictures/pictureseries.h"
#include "platform/cp1251.h"
#include "platform/treectrl.h"
#include "tools/blockfile.h"
#include "tools/dbsource.h"
#include "tools/pictureimage.h"
#include "tools/progressbar.h"
#include "tools/sourceschema.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace {

// A kind of finding repeated more often is counted rather than listed, as
// `check` does: a damaged file must not bury the rest under its lines.
constexpr int kMaxListedPerKind = 50;

// The nesting of the written tree is the database's; indentation stops
// growing here so a deep chain costs linear, not quadratic, output.
constexpr int kMaxIndentLevels = 32;

class CFindings {
public:
    CFindings(std::ostream& out, UnbuildSummary& summary) : m_out(out), m_summary(summary) {}
    ~CFindings() {
        for (const auto& [strKind, nCount] : m_counts)
            if (nCount > kMaxListedPerKind)
                m_out << strKind << ": " << nCount - kMaxListedPerKind << " more\n";
    }

    // Content the source cannot hold: the round trip will differ.
    void Lost(const std::string& strKind, const std::string& strLine) {
        ++m_summary.nLost;
        Put(strKind, "cannot round trip: " + strLine);
    }
    // Kept, or differs only where nothing shows it.
    void Note(const std::string& strKind, const std::string& strLine) {
        ++m_summary.nNotes;
        Put(strKind, "note: " + strLine);
    }

private:
    void Put(const std::string& strKind, const std::string& strLine) {
        if (++m_counts[strKind] <= kMaxListedPerKind)
            m_out << strLine << '\n';
    }

    std::ostream& m_out;
    UnbuildSummary& m_summary;
    std::map<std::string, int> m_counts;
};

std::string Record(const char* pszFile, std::int64_t n) {
    return std::string(pszFile) + ": record " + std::to_string(n);
}

// A cp1251 text as the source holds it. 0x98, which the code page leaves
// undefined, has no character a source could give.
std::string TextOf(const std::string& strCp1251, const std::string& strWhere, CFindings& findings) {
    if (strCp1251.find('\x98') == std::string::npos)
        return cp1251::ToUtf8(strCp1251);
    findings.Lost("byte 0x98", strWhere + ": the byte 0x98 has no character; left out");
    std::string s = strCp1251;
    std::erase(s, '\x98');
    return cp1251::ToUtf8(s);
}

// The shortest decimal that reads back as the same single-precision value,
// so the source shows 0.1 rather than 0.10000000149011612.
json RealOf(float f) {
    char buffer[48];
    for (int nDigits = 6; nDigits <= 9; ++nDigits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", nDigits, static_cast<double>(f));
        if (std::strtof(buffer, nullptr) == f)
            break;
    }
    const double d = std::strtod(buffer, nullptr);
    // Near the largest float the short decimal lies beyond it as a double.
    return json(std::fabs(d) <= std::numeric_limits<float>::max() ? d : static_cast<double>(f));
}

struct Span {
    std::int64_t nStart, nEnd;
};

// The parts of [0, nSize) no span covers.
std::vector<Span> Uncovered(std::vector<Span> spans, std::int64_t nSize) {
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.nStart < b.nStart; });
    std::vector<Span> gaps;
    std::int64_t nAt = 0;
    for (const Span& s : spans) {
        if (s.nStart > nAt)
            gaps.push_back({nAt, std::min(s.nStart, nSize)});
        nAt = std::max(nAt, s.nEnd);
        if (nAt >= nSize)
            break;
    }
    if (nAt < nSize)
        gaps.push_back({nAt, nSize});
    std::erase_if(gaps, [](const Span& s) { return s.nStart >= s.nEnd; });
    return gaps;
}

std::string Bytes(const Span& s) {
    return "bytes " + std::to_string(s.nStart) + ".." + std::to_string(s.nEnd - 1);
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out)
        throw std::runtime_error(path.string() + ": cannot be written");
}

struct TypeOut {
    json object = json::object();
    std::int32_t nRecord = 0;
};

class CUnbuilder {
public:
    CUnbuilder(const std::string& strDir, const fs::path& outDir, std::ostream& report,
               std::ostream* pProgress, UnbuildSummary& summary)
        : m_strDir(strDir), m_outDir(outDir), m_findings(report, summary), m_summary(summary),
          m_pProgress(pProgress) {}

    void Run();

private:
    void ReadTree();
    void ReadTypes();
    void ReadStrings();
    void ReadStrips(std::int32_t nRecord, json& type);
    void CheckStrips();
    void ReadPictures(std::int32_t nRecord, json& type);
    void CheckPictureEnds();
    void CheckPool();
    void CopyTemplates();
    void PlanTypes();
    std::string WriteSource() const;

    std::string Caption(std::int32_t nOffset, const std::string& strWhere);
    std::string PoolText(std::int32_t nOffset, const std::string& strWhere);

    const std::string m_strDir;
    const fs::path m_outDir;
    CFindings m_findings;
    UnbuildSummary& m_summary;
    std::ostream* m_pProgress;
    CDatabaseFiles m_files;

    struct Node {
        std::int32_t nParent;
        std::int32_t nItem;
        std::string strCaption; // UTF-8
    };
    std::vector<Node> m_tree;
    std::vector<AircraftRecord> m_records;
    std::vector<json> m_types; // by record number
    std::vector<Span> m_poolUsed;
    std::vector<Span> m_stripsUsed; // in rows
    std::vector<char> m_carries;    // by tree position: the item writes its type
    std::vector<char> m_numbered;   // by record: the type says its record number
    std::vector<std::int32_t> m_unreferenced;

    CBlockFile m_strips, m_pictures; // the files as the build will lay them out
    struct Reach {
        std::int32_t nRecord;
        std::int64_t nEnd; // where the series stops in the rebuilt file
    };
    std::vector<Reach> m_countsPastEnd;
    std::vector<Span> m_picturesUsed;
    std::map<std::int64_t, std::int32_t> m_seriesEnds; // end offset -> record
};

std::string CUnbuilder::PoolText(std::int32_t nOffset, const std::string& strWhere) {
    std::string s;
    if (nOffset < 0 || !m_files.m_fileStrings.IsOpen())
        return s;
    m_files.m_fileStrings.ReadString(nOffset, s);
    // The NUL behind the text is part of what the reference uses.
    m_poolUsed.push_back(
        {nOffset, std::int64_t{nOffset} + static_cast<std::int64_t>(s.size()) + 1});
    return TextOf(s, strWhere, m_findings);
}

void CUnbuilder::ReadTree() {
    CRecordFile& file = m_files.m_fileTree;
    if (!file.IsOpen()) {
        m_findings.Lost("missing", std::string(CDatabaseFiles::kTreeName) +
                                       ": missing; the source has an empty tree");
        return;
    }
    CTreeCtrl ctlTree;
    const std::int32_t nNoPosition = -1;
    CTypeTree typeTree(ctlTree, m_files, &nNoPosition);
    typeTree.Build();
    const std::int64_t nShown = ctlTree.GetCount();
    const std::int64_t nRecords = file.GetRecordCount();
    m_tree.reserve(static_cast<std::size_t>(nShown));
    for (std::int32_t n = 0; n < nShown; ++n) {
        unsigned char bytes[TreeRecord::kSize];
        file.ReadRecord(n, bytes);
        const TreeRecord rec = TreeRecord::FromBytes(bytes);
        m_tree.push_back(
            {rec.parent, rec.item, PoolText(rec.nameOffset, Record(CDatabaseFiles::kTreeName, n))});
    }
    for (std::int64_t n = nShown; n < nRecords; ++n) {
        unsigned char bytes[TreeRecord::kSize];
        file.ReadRecord(static_cast<std::int32_t>(n), bytes);
        const TreeRecord rec = TreeRecord::FromBytes(bytes);
        const char* pszWhy = rec.parent == n  ? "its own parent"
                             : rec.parent > n ? "a parent further on"
                             : n == nShown    ? "out of depth-first order"
                                              : "behind the first out of order";
        m_findings.Lost("tree order", Record(CDatabaseFiles::kTreeName, n) + ": parent " +
                                          std::to_string(rec.parent) + ", " + pszWhy +
                                          "; the viewer leaves it out, and so does the source");
    }
    if (file.GetLength() % TreeRecord::kSize)
        m_findings.Lost("fragment", std::string(CDatabaseFiles::kTreeName) + ": " +
                                        std::to_string(file.GetLength() % TreeRecord::kSize) +
                                        " bytes of a record at the end; left out");
    m_summary.nTreeItems = static_cast<int>(nShown);
}

void CUnbuilder::ReadTypes() {
    CRecordFile& file = m_files.m_fileAircraft;
    if (!file.IsOpen()) {
        m_findings.Lost("missing", std::string(CDatabaseFiles::kAircraftName) + ": missing");
        return;
    }
    const std::int64_t nRecords = std::min<std::int64_t>(file.GetRecordCount(), INT32_MAX);
    m_records.reserve(static_cast<std::size_t>(nRecords));
    m_types.reserve(static_cast<std::size_t>(nRecords));
    if (file.GetLength() % AircraftRecord::kSize)
        m_findings.Lost("fragment", std::string(CDatabaseFiles::kAircraftName) + ": " +
                                        std::to_string(file.GetLength() % AircraftRecord::kSize) +
                                        " bytes of a record at the end; left out");

    CProgressBar progress(m_pProgress, "types", nRecords);
    for (std::int32_t n = 0; n < nRecords; ++n) {
        unsigned char bytes[AircraftRecord::kSize];
        file.ReadRecord(n, bytes);
        const AircraftRecord rec = AircraftRecord::FromBytes(bytes);
        m_records.push_back(rec);
        const std::string strWhere = Record(CDatabaseFiles::kAircraftName, n);

        json type = json::object();
        for (const SourceField& f : SourceFields()) {
            switch (f.kind) {
            case SourceField::Kind::text: {
                const std::string s = PoolText(rec.*(f.pInt), strWhere + " " + f.pszKey);
                if (!s.empty())
                    type[f.pszKey] = s;
                break;
            }
            case SourceField::Kind::integer:
                if (rec.*(f.pInt) != 0)
                    type[f.pszKey] = rec.*(f.pInt);
                break;
            case SourceField::Kind::real: {
                const float v = rec.*(f.pReal);
                if (!std::isfinite(v))
                    m_findings.Lost("real", strWhere + " " + f.pszKey +
                                                ": not a finite number; left out (0)");
                else if (v != 0.0f || std::signbit(v))
                    type[f.pszKey] = RealOf(v);
                break;
            }
            }
        }
        ReadStrips(n, type);
        ReadPictures(n, type);
        m_types.push_back(std::move(type));
        progress.Step();
    }
}

void CUnbuilder::ReadStrips(std::int32_t nRecord, json& type) {
    const AircraftRecord& rec = m_records[static_cast<std::size_t>(nRecord)];
    std::vector<StripRecord> rows;
    if (m_files.m_fileStrips.IsOpen())
        rows = ReadStripRows(m_files.m_fileStrips, rec);
    json strips = json::array();
    std::string bytes;
    for (const StripRecord& row : rows) {
        strips.push_back({row.values[0], row.values[1], row.values[2]});
        for (std::int32_t v : row.values) {
            unsigned char b[4];
            le::PutInt32(b, v);
            bytes.append(reinterpret_cast<const char*>(b), 4);
        }
    }
    const std::int64_t nDefault = m_strips.Size() / StripRecord::kSize;
    if (!rows.empty()) {
        // The rows come from where they lie, so the same place holds them.
        m_strips.Place(bytes, std::int64_t{rec.firstStrip} * StripRecord::kSize);
        m_stripsUsed.push_back(
            {rec.firstStrip, rec.firstStrip + static_cast<std::int64_t>(rows.size())});
        type["strips"] = std::move(strips);
    }
    if (rec.firstStrip != nDefault)
        type["first_strip"] = rec.firstStrip;
    if (rec.stripCount != static_cast<std::int64_t>(rows.size()))
        type["strip_count"] = rec.stripCount;
}

void CUnbuilder::CheckStrips() {
    CRecordFile& file = m_files.m_fileStrips;
    if (!file.IsOpen()) {
        m_findings.Lost("missing", std::string(CDatabaseFiles::kStripsName) +
                                       ": missing; the build writes it empty");
        return;
    }
    for (const Span& gap : Uncovered(m_stripsUsed, file.GetRecordCount()))
        m_findings.Lost("strip rows", std::string(CDatabaseFiles::kStripsName) + ": rows " +
                                          std::to_string(gap.nStart) + ".." +
                                          std::to_string(gap.nEnd - 1) +
                                          ": no record refers to them; left out");
    if (file.GetLength() % StripRecord::kSize)
        m_findings.Lost("fragment", std::string(CDatabaseFiles::kStripsName) + ": " +
                                        std::to_string(file.GetLength() % StripRecord::kSize) +
                                        " bytes of a row at the end; left out");
}

void CUnbuilder::ReadPictures(std::int32_t nRecord, json& type) {
    const AircraftRecord& rec = m_records[static_cast<std::size_t>(nRecord)];
    CFile& file = m_files.m_filePictures;
    const std::int64_t nFileSize =
        file.IsOpen()
            ? static_cast<std::int64_t>(std::min<std::uint64_t>(file.GetLength(), INT64_MAX))
            : 0;
    std::vector<std::int64_t> offsets;
    if (HasPictures(rec) &&
        std::int64_t{rec.previewOffset} + std::int64_t{kPictureHeaderSize} <= nFileSize) {
        offsets.push_back(rec.previewOffset);
        for (std::uint32_t nOffset : ScanPictures(file, rec).offsets)
            offsets.push_back(nOffset);
    }

    const std::string strType = Record(CDatabaseFiles::kAircraftName, nRecord);
    std::string block;
    json pictures = json::array();
    bool bCut = false;
    std::int64_t nOriginalEnd = 0;
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        const std::int64_t nOffset = offsets[k];
        const std::string strPlace = k == 0 ? "preview" : std::to_string(k);
        const std::string strWhat = strType + " picture " + strPlace + " (" +
                                    CDatabaseFiles::kPicturesName + " offset " +
                                    std::to_string(nOffset) + ")";
        unsigned char header[kPictureHeaderSize];
        file.Seek(nOffset, CFile::begin);
        if (file.Read(header, sizeof header) != sizeof header) {
            bCut = true;
            break;
        }
        const BITMAPINFOHEADER hdr = DecodeBitmapInfoHeader(header);
        file.Seek(nOffset, CFile::begin);
        int nResult = 0;
        const std::unique_ptr<CDibSection> pDib = ReadPicture(file, &nResult);
        if (!pDib) {
            m_findings.Lost("picture", strWhat + ": cannot be shown (" +
                                           std::to_string(hdr.biBitCount) + " bits, " +
                                           std::to_string(hdr.biWidth) + " x " +
                                           std::to_string(hdr.biHeight) +
                                           "); it and the rest of the series are left out");
            bCut = true;
            break;
        }
        const std::int64_t nConsumed = static_cast<std::int64_t>(file.GetPosition()) - nOffset;
        const std::int64_t nDeclared = std::min<std::int64_t>(hdr.biSizeImage, nFileSize - nOffset);
        nOriginalEnd = nOffset + std::max(nConsumed, nDeclared);
        m_picturesUsed.push_back({nOffset, nOriginalEnd});
        if (nResult == 0)
            m_findings.Lost("picture stream", strWhat + ": its stream breaks off; the source "
                                                        "holds the pixels the viewer shows");
        else if (nDeclared > nConsumed)
            m_findings.Lost("after end code", strWhat + ": " +
                                                  std::to_string(nDeclared - nConsumed) +
                                                  " bytes after the stream's end code; left out");

        const int nBits = pDib->GetBitCount();
        const QImage image = pictureimage::FromDib(*pDib);
        const std::string record = pictureimage::EncodeRecord(image, nBits);
        const std::string strFile = std::to_string(nRecord) + "-" + strPlace + ".png";
        const fs::path path = m_outDir / "pictures" / strFile;
        if (!image.save(QString::fromStdString(path.string()), "PNG"))
            throw std::runtime_error(path.string() + ": cannot be written");
        // What the build will read must give this very record back.
        if (pictureimage::EncodeRecord(pictureimage::Load(path.string()), nBits) != record)
            m_findings.Lost("png", strWhat + ": " + strFile + " does not hold it exactly");

        std::string original(record.size(), '\0');
        file.Seek(nOffset, CFile::begin);
        if (nDeclared != static_cast<std::int64_t>(record.size()) ||
            file.Read(original.data(), original.size()) != original.size() || original != record)
            m_findings.Note("re-encoded", strWhat + ": written again as " +
                                              std::to_string(record.size()) +
                                              " bytes rather than " + std::to_string(nDeclared) +
                                              "; the same pixels");
        block += record;
        pictures.push_back({{"file", "pictures/" + strFile}, {"bits", nBits}});
        ++m_summary.nPictures;
    }

    const auto nListed = static_cast<std::int64_t>(pictures.size());
    if (nListed > 0) {
        const std::int64_t nDefault = m_pictures.Size();
        std::optional<std::int64_t> nAt;
        if (rec.previewOffset != nDefault) {
            nAt = m_pictures.Place(block, rec.previewOffset);
            if (nAt)
                type["preview_offset"] = rec.previewOffset;
            else
                m_findings.Lost("picture place",
                                strType + ": its pictures cannot stay at offset " +
                                    std::to_string(rec.previewOffset) +
                                    ", where the rebuilt pictures before them lie; they move to " +
                                    std::to_string(nDefault));
        }
        if (!nAt)
            nAt = m_pictures.Place(block);
        if (!nAt)
            throw std::runtime_error("the pictures do not fit in a picture file of 2 GiB");
        if (!bCut && rec.pictureCount != nListed - 1) {
            type["picture_count"] = rec.pictureCount;
            m_countsPastEnd.push_back({nRecord, *nAt + static_cast<std::int64_t>(block.size())});
        }
        m_seriesEnds[nOriginalEnd] = nRecord;
        type["pictures"] = std::move(pictures);
    } else {
        if (rec.previewOffset != 0)
            type["preview_offset"] = rec.previewOffset;
        if (rec.pictureCount != 0)
            type["picture_count"] = rec.pictureCount;
        if (HasPictures(rec))
            m_countsPastEnd.push_back({nRecord, rec.previewOffset});
    }
}

// A count beyond the pictures listed ends the series where the file ends;
// the rebuilt file must end there too, or the series would run on into
// other records' pictures.
void CUnbuilder::CheckPictureEnds() {
    for (const Reach& r : m_countsPastEnd)
        if (m_pictures.Size() >= r.nEnd + std::int64_t{kPictureHeaderSize})
            m_findings.Lost("picture count",
                            Record(CDatabaseFiles::kAircraftName, r.nRecord) +
                                ": its picture count reaches past its pictures, and in the "
                                "rebuilt file other pictures lie there");
    CFile& file = m_files.m_filePictures;
    if (!file.IsOpen()) {
        m_findings.Lost("missing", std::string(CDatabaseFiles::kPicturesName) +
                                       ": missing; the build writes it empty");
        return;
    }
    const auto nSize =
        static_cast<std::int64_t>(std::min<std::uint64_t>(file.GetLength(), INT64_MAX));
    for (const Span& gap : Uncovered(m_picturesUsed, nSize)) {
        const auto it = m_seriesEnds.find(gap.nStart);
        m_findings.Lost("pictures",
                        std::string(CDatabaseFiles::kPicturesName) + ": " + Bytes(gap) +
                            (it != m_seriesEnds.end()
                                 ? ": behind the series of " +
                                       Record(CDatabaseFiles::kAircraftName, it->second) +
                                       ", beyond its picture count"
                                 : ": no record's pictures") +
                            "; left out");
    }
}

void CUnbuilder::CheckPool() {
    CStringPoolFile& file = m_files.m_fileStrings;
    if (!file.IsOpen()) {
        m_findings.Lost("missing", std::string(CDatabaseFiles::kStringsName) +
                                       ": missing; the build writes the texts' pool");
        return;
    }
    const auto nSize =
        static_cast<std::int64_t>(std::min<std::uint64_t>(file.GetLength(), INT32_MAX));
    m_poolUsed.push_back({0, 1}); // the empty string every build starts with
    for (const Span& gap : Uncovered(std::move(m_poolUsed), nSize)) {
        // Enough of the text to find it again, not the whole of a huge gap.
        constexpr std::int64_t kShown = 40;
        std::string s(static_cast<std::size_t>(std::min(gap.nEnd - gap.nStart, kShown)), '\0');
        file.Seek(gap.nStart, CFile::begin);
        s.resize(file.Read(s.data(), s.size()));
        while (!s.empty() && s.back() == '\0')
            s.pop_back();
        std::replace(s.begin(), s.end(), '\0', ' ');
        std::erase(s, '\x98');
        m_findings.Lost("strings", std::string(CDatabaseFiles::kStringsName) + ": " + Bytes(gap) +
                                       " (\"" + cp1251::ToUtf8(s) +
                                       "\"): no record refers to them; left out");
    }
}

void CUnbuilder::CopyTemplates() {
    for (const char* pszName :
         {CDatabaseFiles::kCardTemplateName, CDatabaseFiles::kExtraTemplateName}) {
        std::error_code ec;
        fs::copy_file(CDatabaseFiles::PathIn(m_strDir, pszName), m_outDir / pszName,
                      fs::copy_options::overwrite_existing, ec);
        if (ec)
            m_findings.Lost("missing", std::string(pszName) + ": cannot be copied (" +
                                           ec.message() + "); build needs it");
    }
}

// Which tree item carries each type: the first that shows it. The order
// the types appear in gives their record numbers unless they say.
void CUnbuilder::PlanTypes() {
    const auto nTypes = static_cast<std::int64_t>(m_types.size());
    std::vector<char> carried(m_types.size(), 0);
    m_carries.assign(m_tree.size(), 0);
    std::vector<std::int32_t> order;
    for (std::size_t i = 0; i < m_tree.size(); ++i) {
        const std::int32_t nItem = m_tree[i].nItem;
        if (nItem >= 0 && nItem < nTypes && !carried[static_cast<std::size_t>(nItem)]) {
            carried[static_cast<std::size_t>(nItem)] = 1;
            m_carries[i] = 1;
            order.push_back(nItem);
        }
    }
    for (std::int32_t n = 0; n < nTypes; ++n)
        if (!carried[static_cast<std::size_t>(n)]) {
            m_unreferenced.push_back(n);
            order.push_back(n);
            m_findings.Note("unreferenced type",
                            Record(CDatabaseFiles::kAircraftName, n) +
                                ": no tree item shows it; kept in unreferenced_types");
        }
    m_numbered.assign(m_types.size(), 0);
    for (std::size_t i = 0; i < order.size(); ++i)
        m_numbered[static_cast<std::size_t>(order[i])] = order[i] != static_cast<std::int64_t>(i);
}

std::string CUnbuilder::WriteSource() const {
    const std::vector<char>& carries = m_carries;
    const std::vector<std::int32_t>& unreferenced = m_unreferenced;
    const std::vector<char>& numbered = m_numbered;

    const auto typeObject = [&](std::int32_t n) {
        json o = json::object();
        if (numbered[static_cast<std::size_t>(n)])
            o["record"] = n;
        for (const auto& [key, value] : m_types[static_cast<std::size_t>(n)].items())
            o[key] = value;
        return o;
    };
    const auto indent = [](std::size_t nLevel) {
        return std::string(2 * std::min<std::size_t>(nLevel, kMaxIndentLevels), ' ');
    };
    // A flat object (its own nesting is fixed), each line indented.
    const auto put = [&](std::string& out, const json& o, std::size_t nLevel) {
        const std::string strPad = indent(nLevel);
        std::string text = o.dump(2);
        std::size_t nPos = 0;
        while ((nPos = text.find('\n', nPos)) != std::string::npos)
            text.insert(++nPos, strPad);
        out += text;
    };

    std::string out = "{\n  \"$schema\": \"aircraft.schema.json\",\n  \"tree\": [";
    // Open levels: the record whose children are being written, and whether
    // one was written yet; the tree's records are in pre-order.
    struct Open {
        std::int32_t nRecord;
        bool bAny;
    };
    std::vector<Open> open{{-1, false}};
    std::vector<char> hasChildren(m_tree.size(), 0);
    for (const Node& node : m_tree)
        if (node.nParent >= 0)
            hasChildren[static_cast<std::size_t>(node.nParent)] = 1;
    for (std::size_t i = 0; i <= m_tree.size(); ++i) {
        const std::int32_t nParent = i < m_tree.size() ? m_tree[i].nParent : -2;
        while (open.size() > 1 && open.back().nRecord != nParent) {
            open.pop_back();
            out += "\n" + indent(2 * open.size() + 1) + "]\n" + indent(2 * open.size()) + "}";
        }
        if (i == m_tree.size())
            break;
        const Node& node = m_tree[i];
        out += open.back().bAny ? ",\n" : "\n";
        open.back().bAny = true;
        const std::size_t nLevel = 2 * open.size();
        out += indent(nLevel);
        json head = json::object();
        head["caption"] = node.strCaption;
        if (carries[i])
            head["type"] = typeObject(node.nItem);
        else if (node.nItem != -1)
            head["item"] = node.nItem;
        if (!hasChildren[i]) {
            put(out, head, nLevel);
            continue;
        }
        std::string text;
        put(text, head, nLevel);
        text.erase(text.find_last_of('\n')); // the closing brace comes after the children
        out += text + ",\n" + indent(nLevel + 1) + "\"children\": [";
        open.push_back({static_cast<std::int32_t>(i), false});
    }
    out += "\n  ]";
    if (!unreferenced.empty()) {
        out += ",\n  \"unreferenced_types\": [";
        for (std::size_t i = 0; i < unreferenced.size(); ++i) {
            out += (i ? ",\n" : "\n") + indent(2);
            put(out, typeObject(unreferenced[i]), 2);
        }
        out += "\n  ]";
    }
    out += "\n}\n";
    return out;
}

void CUnbuilder::Run() {
    m_files.Open(m_strDir);
    std::error_code ec;
    fs::create_directories(m_outDir / "pictures", ec);
    if (ec)
        throw std::runtime_error(m_outDir.string() + ": cannot be created: " + ec.message());
    ReadTree();
    ReadTypes();
    PlanTypes();
    CheckStrips();
    CheckPictureEnds();
    CheckPool();
    CopyTemplates();
    WriteText(m_outDir / "aircraft.json", WriteSource());
    WriteText(m_outDir / "aircraft.schema.json", SourceSchemaText());
    m_summary.nTypes = static_cast<int>(m_types.size());
}

} // namespace

UnbuildSummary UnbuildDatabase(const std::string& strDir, const std::string& strOutDir,
                               std::ostream& report, std::ostream* pProgress) {
    UnbuildSummary summary;
    {
        CUnbuilder unbuilder(strDir, strOutDir, report, pProgress, summary);
        unbuilder.Run();
    }
    return summary;
}
