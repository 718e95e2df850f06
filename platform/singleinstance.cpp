#include "platform/singleinstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CSingleInstance::~CSingleInstance() {
    Release();
}

std::string CSingleInstance::LockPath() {
    const char* pszRuntime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (pszRuntime && *pszRuntime == '/' && ::stat(pszRuntime, &st) == 0 && S_ISDIR(st.st_mode))
        return std::string(pszRuntime) + "/verlumo.lock";
    return "/tmp/verlumo-" + std::to_string(::getuid()) + ".lock";
}

bool CSingleInstance::Acquire() {
    if (m_fd >= 0)
        return true;
    const std::string strPath = LockPath();
    // No symbolic links, and only a file of our own: in /tmp another user
    // could otherwise plant a file and hold its lock to keep us out.
    const int fd = ::open(strPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        ::close(fd);
        return true;
    }
    int nResult;
    do
        nResult = ::flock(fd, LOCK_EX | LOCK_NB);
    while (nResult != 0 && errno == EINTR);
    if (nResult != 0) {
        const bool bHeldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return !bHeldElsewhere;
    }
    m_fd = fd;
    return true;
}

void CSingleInstance::Release() {
    if (m_fd < 0)
        return;
    ::close(m_fd); // closing the only descriptor drops the lock
    m_fd = -1;
}
