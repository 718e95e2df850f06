#include "platform/cfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CFileException::CFileException(Cause cause, const std::string& strFileName,
                               const std::string& strWhat)
    : std::runtime_error(strWhat), m_cause(cause), m_strFileName(strFileName) {}

CFile::CFile() = default;

CFile::~CFile() {
    Close();
}

bool CFile::Open(const std::string& strFileName, unsigned /*nOpenFlags*/) {
    Close();
    m_strFileName = strFileName;
    int fd = ::open(strFileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_nOpenError = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        m_nOpenError = EISDIR;
        ::close(fd);
        return false;
    }
    m_nOpenError = 0;
    m_fd = fd;
    m_nPosition = 0;
    m_nBufferStart = 0;
    m_nBufferFill = 0;
    m_buffer.resize(kBufferSize);
    return true;
}

void CFile::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_nPosition = 0;
    m_nBufferFill = 0;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

void CFile::ThrowIfClosed(const char* pszOperation) const {
    if (m_fd < 0) {
        const std::string strName = m_strFileName.empty() ? "(unnamed)" : m_strFileName;
        throw CFileException(CFileException::fileNotOpen, m_strFileName,
                             std::string(pszOperation) + " on a file that is not open: " + strName);
    }
}

std::uint64_t CFile::Seek(std::int64_t lOffset, SeekPosition nFrom) {
    ThrowIfClosed("seek");
    std::int64_t nBase = 0;
    if (nFrom == current)
        nBase = static_cast<std::int64_t>(m_nPosition);
    else if (nFrom == end)
        nBase = static_cast<std::int64_t>(GetLength());
    // Both operands are far below 2^62 in practice; guard the sum anyway.
    if ((lOffset > 0 && nBase > INT64_MAX - lOffset) || nBase + lOffset < 0)
        throw CFileException(CFileException::badSeek, m_strFileName,
                             "seek to a negative position in " + m_strFileName);
    m_nPosition = static_cast<std::uint64_t>(nBase + lOffset);
    return m_nPosition;
}

bool CFile::FillBuffer() {
    m_nBufferStart = m_nPosition;
    m_nBufferFill = 0;
    for (;;) {
        ssize_t n =
            ::pread(m_fd, m_buffer.data(), m_buffer.size(), static_cast<off_t>(m_nBufferStart));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw CFileException(CFileException::readError, m_strFileName,
                                 "read error in " + m_strFileName + ": " + std::strerror(errno));
        m_nBufferFill = static_cast<std::size_t>(n);
        return n > 0;
    }
}

std::size_t CFile::Read(void* pBuffer, std::size_t nCount) {
    ThrowIfClosed("read");
    auto* pOut = static_cast<unsigned char*>(pBuffer);
    std::size_t nDone = 0;
    while (nDone < nCount) {
        const bool bInBuffer =
            m_nPosition >= m_nBufferStart && m_nPosition < m_nBufferStart + m_nBufferFill;
        if (!bInBuffer) {
            // A large read skips the buffer: one system call, no copy twice.
            if (nCount - nDone >= m_buffer.size()) {
                ssize_t n =
                    ::pread(m_fd, pOut + nDone, nCount - nDone, static_cast<off_t>(m_nPosition));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    throw CFileException(CFileException::readError, m_strFileName,
                                         "read error in " + m_strFileName + ": " +
                                             std::strerror(errno));
                if (n == 0)
                    break;
                nDone += static_cast<std::size_t>(n);
                m_nPosition += static_cast<std::uint64_t>(n);
                continue;
            }
            if (!FillBuffer())
                break;
        }
        const std::size_t nOffset = static_cast<std::size_t>(m_nPosition - m_nBufferStart);
        std::size_t nTake = m_nBufferFill - nOffset;
        if (nTake > nCount - nDone)
            nTake = nCount - nDone;
        std::memcpy(pOut + nDone, m_buffer.data() + nOffset, nTake);
        nDone += nTake;
        m_nPosition += nTake;
    }
    return nDone;
}

std::uint64_t CFile::GetLength() const {
    ThrowIfClosed("length query");
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        throw CFileException(CFileException::readError, m_strFileName,
                             "cannot query the length of " + m_strFileName);
    return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t CFile::GetPosition() const {
    ThrowIfClosed("position query");
    return m_nPosition;
}
