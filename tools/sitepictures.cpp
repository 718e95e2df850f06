#include "tools/sitepictures.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "platform/cfile.h"
#include "tools/dbpictures.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace {

// Enough threads to keep two or eight cores busy; more only add contention
// for the disk.
constexpr unsigned kMaxWorkers = 8;

// The names ExportPictures writes: preview.png and 1.png ... N.png.
bool IsPictureName(const std::string& strName) {
    if (strName == "preview.png")
        return true;
    const std::size_t nDigits = strName.size() - std::min<std::size_t>(strName.size(), 4);
    return nDigits > 0 && strName.compare(nDigits, 4, ".png") == 0 &&
           std::all_of(strName.begin(), strName.begin() + static_cast<std::ptrdiff_t>(nDigits),
                       [](char ch) { return ch >= '0' && ch <= '9'; });
}

std::string FolderPath(const std::string& strSiteRoot, std::int32_t nRecord) {
    return strSiteRoot + "/" + CSitePictures::FolderOf(nRecord);
}

// Never empty: an empty error would read as no error, and Take would wait.
std::string ErrorText(const std::exception& e) {
    const std::string strWhat = e.what();
    return strWhat.empty() ? "the pictures were not written" : strWhat;
}

// Whether the viewer enables the pictures of a type: as its card decides.
bool HasSeries(CDatabaseFiles& files, std::int32_t nRecord) {
    if (!files.m_filePictures.IsOpen())
        return false;
    CAircraftText text(&files);
    try {
        return text.Load(nRecord) && text.m_record.pictureCount > 0;
    } catch (const CFileException&) {
        return false;
    }
}

} // namespace

std::string CSitePictures::FolderOf(std::int32_t nRecord) {
    return "pictures/" + std::to_string(nRecord / kShard) + "/" + std::to_string(nRecord);
}

void CSitePictures::Remove(const std::string& strSiteRoot, std::int32_t nRecord) {
    std::error_code ec;
    std::vector<std::filesystem::path> old;
    for (const auto& entry :
         std::filesystem::directory_iterator(FolderPath(strSiteRoot, nRecord), ec))
        if (IsPictureName(entry.path().filename().string()))
            old.push_back(entry.path());
    for (const auto& path : old)
        std::filesystem::remove(path, ec);
}

SitePictures CSitePictures::Write(CDatabaseFiles& files, const std::string& strSiteRoot,
                                  std::int32_t nRecord) {
    // An earlier export into the same site may have left pictures this one
    // does not write; the listing below must not find them.
    Remove(strSiteRoot, nRecord);
    const std::string strFolder = FolderPath(strSiteRoot, nRecord);
    std::ostringstream notes;
    std::vector<WrittenPicture> written;
    ExportPictures(files, nRecord, strFolder, notes, &written);
    SitePictures result;
    result.bWritten = true;
    result.strNotes = notes.str();
    for (const WrittenPicture& picture : written) {
        result.nBytes += static_cast<std::int64_t>(picture.nBytes);
        if (picture.nNumber == 0)
            result.bPreview = true;
        else
            result.series.push_back(picture.nNumber);
    }
    std::sort(result.series.begin(), result.series.end());
    return result;
}

CSitePictures::CSitePictures(std::string strDir, std::string strSiteRoot,
                             std::vector<std::int32_t> types)
    : m_strDir(std::move(strDir)), m_strSiteRoot(std::move(strSiteRoot)), m_types(std::move(types)),
      m_slots(m_types.size()) {
    const unsigned nWorkers = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkers);
    try {
        for (unsigned i = 0; i < nWorkers && i < m_types.size(); ++i)
            m_workers.emplace_back(&CSitePictures::Work, this);
    } catch (...) {
        Stop(); // the threads that started must not outlive this object
        throw;
    }
}

CSitePictures::~CSitePictures() {
    Stop();
}

void CSitePictures::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    for (std::thread& worker : m_workers)
        worker.join();
}

void CSitePictures::Work() {
    std::optional<CDatabaseFiles> files;
    std::string strOpenError;
    try {
        files.emplace();
        files->Open(m_strDir);
    } catch (const std::exception& e) {
        strOpenError = ErrorText(e);
    }
    for (;;) {
        std::size_t i = 0;
        {
            std::lock_guard lock(m_mutex);
            if (m_bStop || m_nNext >= m_types.size())
                return;
            i = m_nNext++;
        }
        Slot slot;
        try {
            if (!strOpenError.empty())
                throw std::runtime_error(strOpenError);
            slot.result = HasSeries(*files, m_types[i]) ? Write(*files, m_strSiteRoot, m_types[i])
                                                        : SitePictures{};
        } catch (const std::exception& e) {
            slot.strError = ErrorText(e);
        }
        {
            std::lock_guard lock(m_mutex);
            m_slots[i] = std::move(slot);
        }
        m_cvDone.notify_all();
    }
}

SitePictures CSitePictures::Take(std::size_t i) {
    std::unique_lock lock(m_mutex);
    m_cvDone.wait(lock, [&] { return m_slots[i].result || !m_slots[i].strError.empty(); });
    Slot slot = std::move(m_slots[i]);
    m_slots[i] = Slot{};
    if (!slot.strError.empty())
        throw std::runtime_error(slot.strError);
    return std::move(*slot.result);
}
