#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// The pictures of one type in a site: pictures/SHARD/RECORD/preview.png and
// 1.png ... N.png, as `verlumo-db pictures` writes them.
struct SitePictures {
    bool bWritten = false; // the type has pictures and its folder was written
    bool bPreview = false;
    std::vector<int> series; // the numbers of the series files, ascending
    std::int64_t nBytes = 0;
    std::string strNotes; // what could not be shown, as `pictures` says it
};

// Writes the pictures of a list of types on worker threads, each with its own
// open database, ahead of the thread that writes the cards: the pictures are
// most of an export's work and need nothing from the cards. Take(i) hands
// over the pictures of types[i] once they are written.
class CSitePictures {
public:
    // Pictures per folder level, so no folder holds a hundred thousand types.
    static constexpr std::int32_t kShard = 1000;

    CSitePictures(std::string strDir, std::string strSiteRoot, std::vector<std::int32_t> types);
    ~CSitePictures();
    CSitePictures(const CSitePictures&) = delete;
    CSitePictures& operator=(const CSitePictures&) = delete;

    // Waits for the pictures of types[i]. Rethrows, as std::runtime_error,
    // what stopped a worker at that type (a file that cannot be written).
    SitePictures Take(std::size_t i);

    // The folder of a type's pictures, relative to the site.
    static std::string FolderOf(std::int32_t nRecord);

    // Writes the pictures of a type into the site with files already open, on
    // the calling thread; what a worker does for each type.
    static SitePictures Write(class CDatabaseFiles& files, const std::string& strSiteRoot,
                              std::int32_t nRecord);
    // Removes the picture files an earlier export left for a type.
    static void Remove(const std::string& strSiteRoot, std::int32_t nRecord);

private:
    void Work();
    void Stop();

    struct Slot {
        std::optional<SitePictures> result;
        std::string strError;
    };
    const std::string m_strDir;
    const std::string m_strSiteRoot;
    const std::vector<std::int32_t> m_types;
    std::mutex m_mutex;
    std::condition_variable m_cvDone;
    std::vector<Slot> m_slots;
    std::size_t m_nNext = 0; // the next type a worker takes
    bool m_bStop = false;
    std::vector<std::thread> m_workers;
};
