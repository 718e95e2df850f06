#include "platform/registrystore.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace regstore {
namespace {

std::atomic<WriteHook> g_hook{nullptr};

void Step(WriteStep step) {
    if (const WriteHook hook = g_hook.load())
        hook(step);
}

class CFd {
public:
    explicit CFd(int fd = -1) : m_fd(fd) {}
    ~CFd() { Reset(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }
    void Reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// Which version of a file a parsed hive came from. A rename gives the file a
// new inode and change time, so a hive is re-parsed after every write.
struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    std::int64_t nModified = 0;
    std::int64_t nChanged = 0;
    bool operator==(const Identity&) const = default;
};

std::int64_t Nanoseconds(const timespec& ts) {
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

Identity IdentityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}

struct CacheEntry {
    std::string strPath;
    Identity identity;
    std::shared_ptr<const regfile::CHive> hive;
};

// A parsed file is kept, so that a loop over the values of a large file does
// not parse it once a step.
std::mutex g_cacheMutex;
constexpr std::int64_t kRacyWindow = 2'000'000'000; // ns
CacheEntry g_cache[4];

CacheEntry& CacheOf(Root root) {
    return g_cache[static_cast<int>(root)];
}

const std::shared_ptr<const regfile::CHive>& EmptyHive() {
    static const auto empty = std::make_shared<const regfile::CHive>();
    return empty;
}

bool IsAbsolute(const char* psz) {
    return psz && psz[0] == '/';
}

std::string HomeDirectory() {
    if (const char* psz = std::getenv("HOME"); IsAbsolute(psz))
        return psz;
    std::vector<char> buffer(16384);
    passwd pw{};
    passwd* pResult = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &pResult) == 0 && pResult &&
        IsAbsolute(pResult->pw_dir))
        return pResult->pw_dir;
    return std::string();
}

// Reads and parses the file behind fd, fstat'ed as st.
LONG ReadOpenFile(int fd, const struct stat& st, Root root,
                  std::shared_ptr<const regfile::CHive>& hive) {
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > regfile::kMaxFileSize)
        return ERROR_BADDB;
    // One byte more than the cap tells a file that grew past it since fstat.
    std::string text(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t nHave = 0;
    while (nHave < text.size() && nHave <= regfile::kMaxFileSize) {
        const ssize_t n = ::read(fd, text.data() + nHave, text.size() - nHave);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ERROR_ACCESS_DENIED;
        if (n == 0)
            break;
        nHave += static_cast<std::size_t>(n);
        if (nHave == text.size() && text.size() <= regfile::kMaxFileSize)
            text.resize(std::min(text.size() * 2, regfile::kMaxFileSize + 1));
    }
    if (nHave > regfile::kMaxFileSize)
        return ERROR_BADDB;
    text.resize(nHave);
    auto parsed = regfile::Parse(text, RootName(root));
    if (!parsed)
        return ERROR_BADDB;
    hive = std::make_shared<const regfile::CHive>(std::move(*parsed));
    return ERROR_SUCCESS;
}

// Opens the file; ERROR_FILE_NOT_FOUND (internally) when there is none.
LONG OpenForRead(const std::string& strPath, CFd& fd, struct stat& st) {
    // Non-blocking, so a FIFO in the file's place is refused instead of
    // waiting for a writer; it makes no difference to a regular file.
    const int n = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (n < 0)
        return errno == ENOENT || errno == ENOTDIR ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    fd.Reset(n);
    if (::fstat(fd.Get(), &st) != 0)
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t nDone = 0;
    while (nDone < text.size()) {
        const ssize_t n = ::write(fd, text.data() + nDone, text.size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        nDone += static_cast<std::size_t>(n);
    }
    return true;
}

// The new file is complete and on disk before it takes the old one's name,
// so a crash at any point leaves the old file or the new one.
bool ReplaceFile(const std::string& strDir, const std::string& strPath, const std::string& text) {
    // One name is enough: only the holder of the lock writes it, and a
    // leftover from a crashed writer is truncated by the next one.
    const std::string strTemp = strPath + ".tmp";
    CFd fd(::open(strTemp.c_str(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666));
    if (fd.Get() < 0)
        return false;
    Step(WriteStep::BeforeTempWrite);
    bool bOk = WriteAll(fd.Get(), text);
    if (bOk)
        Step(WriteStep::AfterTempWrite);
    bOk = bOk && ::fsync(fd.Get()) == 0;
    bOk = ::close(fd.Release()) == 0 && bOk;
    if (bOk)
        Step(WriteStep::AfterFsync);
    if (!bOk || ::rename(strTemp.c_str(), strPath.c_str()) != 0) {
        ::unlink(strTemp.c_str());
        return false;
    }
    Step(WriteStep::AfterRename);
    // Makes the rename itself durable. Some file systems refuse fsync on a
    // directory; the new file is in place all the same, so that is no failure.
    CFd dir(::open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
    return true;
}

} // namespace

const char* RootName(Root root) {
    switch (root) {
    case Root::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case Root::CurrentUser:
        return "HKEY_CURRENT_USER";
    case Root::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case Root::Users:
        return "HKEY_USERS";
    }
    return "";
}

std::string Directory() {
    if (const char* psz = std::getenv("VERLUMO_REGISTRY_DIR"); psz && *psz)
        return psz;
    if (const char* psz = std::getenv("XDG_CONFIG_HOME"); IsAbsolute(psz))
        return std::string(psz) + "/verlumo/registry";
    const std::string strHome = HomeDirectory();
    return strHome.empty() ? strHome : strHome + "/.config/verlumo/registry";
}

std::string FilePath(Root root) {
    const std::string strDir = Directory();
    return strDir.empty() ? strDir : strDir + "/" + RootName(root) + ".reg";
}

LONG Read(Root root, std::shared_ptr<const regfile::CHive>& hive, std::int64_t* pnModified) {
    if (pnModified)
        *pnModified = 0;
    const std::string strPath = FilePath(root);
    if (strPath.empty()) {
        hive = EmptyHive();
        return ERROR_SUCCESS;
    }
    CFd fd;
    struct stat st {};
    const LONG nOpen = OpenForRead(strPath, fd, st);
    if (nOpen == ERROR_FILE_NOT_FOUND) {
        hive = EmptyHive();
        return ERROR_SUCCESS;
    }
    if (nOpen != ERROR_SUCCESS)
        return nOpen;
    if (pnModified)
        *pnModified = Nanoseconds(st.st_mtim);
    const Identity identity = IdentityOf(st);
    {
        std::lock_guard lock(g_cacheMutex);
        const CacheEntry& entry = CacheOf(root);
        if (entry.hive && entry.strPath == strPath && entry.identity == identity) {
            hive = entry.hive;
            return ERROR_SUCCESS;
        }
    }
    std::shared_ptr<const regfile::CHive> parsed;
    const LONG nRead = ReadOpenFile(fd.Get(), st, root, parsed);
    if (nRead != ERROR_SUCCESS)
        return nRead;
    // File times are coarse (a few ms), and a file rewritten in place, or
    // replaced by one that reuses a freed inode, could look unchanged within
    // that tick. Only a file that was last changed well before this read is
    // remembered; anything changing it later gets a later time.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (std::max(identity.nModified, identity.nChanged) + kRacyWindow < Nanoseconds(now)) {
        std::lock_guard lock(g_cacheMutex);
        CacheOf(root) = CacheEntry{strPath, identity, parsed};
    }
    hive = std::move(parsed);
    return ERROR_SUCCESS;
}

LONG Modify(Root root, const Change& change) {
    const std::string strDir = Directory();
    if (strDir.empty())
        return ERROR_ACCESS_DENIED;
    std::error_code ec;
    std::filesystem::create_directories(strDir, ec);
    if (ec || !std::filesystem::is_directory(strDir, ec))
        return ERROR_ACCESS_DENIED;
    const std::string strPath = FilePath(root);
    CFd lock(::open((strPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (lock.Get() < 0)
        return ERROR_ACCESS_DENIED;
    int nLock;
    while ((nLock = ::flock(lock.Get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (nLock != 0)
        return ERROR_ACCESS_DENIED;

    // Under the lock the file is read afresh: another process may have
    // written it a moment ago.
    regfile::CHive hive;
    CFd fd;
    struct stat st {};
    const LONG nOpen = OpenForRead(strPath, fd, st);
    if (nOpen == ERROR_SUCCESS) {
        std::shared_ptr<const regfile::CHive> current;
        const LONG nRead = ReadOpenFile(fd.Get(), st, root, current);
        if (nRead != ERROR_SUCCESS)
            return nRead;
        hive = *current;
    } else if (nOpen != ERROR_FILE_NOT_FOUND) {
        return nOpen;
    }
    fd.Reset();

    bool bChanged = false;
    const LONG nChange = change(hive, bChanged);
    if (nChange != ERROR_SUCCESS || !bChanged)
        return nChange;
    const auto text = regfile::Serialize(hive, RootName(root));
    if (!text)
        return ERROR_NOT_ENOUGH_QUOTA;
    if (!ReplaceFile(strDir, strPath, *text))
        return ERROR_ACCESS_DENIED;
    std::lock_guard cacheLock(g_cacheMutex);
    CacheOf(root) = CacheEntry{};
    return ERROR_SUCCESS;
}

void SetWriteHook(WriteHook hook) {
    g_hook.store(hook);
}

} // namespace regstore
