#include "tools/dbbuilder.h"

#include "data/databasefiles.h"
#include "data/le.h"
#include "data/treerecord.h"
#include "tools/blockfile.h"
#include "tools/picturebuild.h"
#include "tools/progressbar.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The pool starts with a NUL, so offset 0 is the empty string; equal texts
// are stored once.
class CPoolWriter {
public:
    CPoolWriter() : m_bytes(1, '\0') {}

    std::int32_t Add(const std::string& s) {
        if (s.empty())
            return 0;
        auto it = m_offsets.find(s);
        if (it != m_offsets.end())
            return it->second;
        if (m_bytes.size() + s.size() + 1 > static_cast<std::size_t>(INT32_MAX))
            throw CSourceError("the texts do not fit in a string pool of 2 GiB");
        const auto nOffset = static_cast<std::int32_t>(m_bytes.size());
        m_bytes += s;
        m_bytes += '\0';
        m_offsets.emplace(s, nOffset);
        return nOffset;
    }

    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    std::map<std::string, std::int32_t> m_offsets;
};

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error(path.string() + ": cannot be written: " + std::strerror(errno));
}

void AppendInt32(std::string& out, std::int32_t v) {
    unsigned char b[4];
    le::PutInt32(b, v);
    out.append(reinterpret_cast<const char*>(b), 4);
}

} // namespace

void BuildDatabase(const SourceDatabase& db, const std::string& strOutDir,
                   CProgressBar* pProgress) {
    std::error_code ec;
    fs::create_directories(strOutDir, ec);
    if (ec)
        throw std::runtime_error(strOutDir + ": cannot be created: " + ec.message());

    CPoolWriter pool;
    std::string tree;
    for (const SourceTreeNode& node : db.tree) {
        AppendInt32(tree, node.nParent);
        AppendInt32(tree, node.nItem);
        AppendInt32(tree, pool.Add(node.strCaption));
    }

    std::string aircraft;
    CBlockFile strips, pictures;
    // Each type's preview offset and picture count, for the types after it
    // that share its pictures.
    std::vector<std::pair<std::int32_t, std::int32_t>> placed;
    placed.reserve(db.types.size());
    for (std::size_t nType = 0; nType < db.types.size(); ++nType) {
        const SourceType& type = db.types[nType];
        const std::string strWhere = "types[" + std::to_string(nType) + "]";
        AircraftRecord rec = type.record;
        rec.firm = pool.Add(type.strFirm);
        rec.country = pool.Add(type.strCountry);
        rec.text = pool.Add(type.strText);
        rec.model = pool.Add(type.strModel);
        rec.name = pool.Add(type.strName);
        rec.type = pool.Add(type.strType);

        if (type.nPicturesOf &&
            (*type.nPicturesOf < 0 || static_cast<std::size_t>(*type.nPicturesOf) >= nType))
            throw CSourceError(strWhere + ": the pictures of type " +
                               std::to_string(*type.nPicturesOf) + ", not an earlier one");
        const std::vector<std::string> records =
            type.nPicturesOf ? std::vector<std::string>() : BuildTypePictures(type, strWhere);
        std::string block;
        for (const std::string& record : records)
            block += record;
        rec.pictureCount = records.empty() ? 0 : static_cast<std::int32_t>(records.size()) - 1;
        rec.previewOffset = 0;
        if (!records.empty()) {
            const auto nAt = pictures.Place(block, type.nPreviewOffset);
            if (!nAt)
                throw CSourceError(strWhere + ": the pictures " +
                                   (type.nPreviewOffset ? "cannot go to preview_offset " +
                                                              std::to_string(*type.nPreviewOffset)
                                                        : std::string("do not fit in 2 GiB")));
            rec.previewOffset = static_cast<std::int32_t>(*nAt);
        } else if (type.nPreviewOffset) {
            rec.previewOffset = *type.nPreviewOffset;
        }
        rec.pictureCount = type.nPictureCount.value_or(rec.pictureCount);
        if (type.nPicturesOf)
            std::tie(rec.previewOffset, rec.pictureCount) =
                placed[static_cast<std::size_t>(*type.nPicturesOf)];
        placed.emplace_back(rec.previewOffset, rec.pictureCount);

        std::string rows;
        for (const StripRecord& row : type.strips)
            for (std::int32_t v : row.values)
                AppendInt32(rows, v);
        rec.firstStrip = type.nFirstStrip.value_or(
            static_cast<std::int32_t>(strips.Size() / StripRecord::kSize));
        if (!rows.empty() && !strips.Place(rows, std::int64_t{rec.firstStrip} * StripRecord::kSize))
            throw CSourceError(strWhere + ": the strips cannot go to row " +
                               std::to_string(rec.firstStrip));
        rec.stripCount = type.nStripCount.value_or(static_cast<std::int32_t>(type.strips.size()));

        unsigned char bytes[AircraftRecord::kSize];
        rec.ToBytes(bytes);
        aircraft.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
        if (pProgress)
            pProgress->Step();
    }

    const fs::path dir(strOutDir);
    WriteFile(dir / CDatabaseFiles::kStringsName, pool.Bytes());
    WriteFile(dir / CDatabaseFiles::kTreeName, tree);
    WriteFile(dir / CDatabaseFiles::kAircraftName, aircraft);
    WriteFile(dir / CDatabaseFiles::kStripsName, strips.Bytes());
    WriteFile(dir / CDatabaseFiles::kPicturesName, pictures.Bytes());

    for (auto [pstrFrom, pszTo] :
         {std::pair{&db.strCardTemplate, CDatabaseFiles::kCardTemplateName},
          std::pair{&db.strExtraTemplate, CDatabaseFiles::kExtraTemplateName}}) {
        if (pstrFrom->empty())
            continue;
        fs::copy_file(*pstrFrom, dir / pszTo, fs::copy_options::overwrite_existing, ec);
        if (ec)
            throw CSourceError(*pstrFrom + ": template cannot be copied: " + ec.message());
    }
}
