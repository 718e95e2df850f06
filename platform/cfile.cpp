#include "platform/cfile.h"

#include <algorithm>
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
    DropBlocks();
    if (!m_data)
        m_data.reset(new unsigned char[kBlockCount * kBlockSize]);
    return true;
}

void CFile::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_nPosition = 0;
    DropBlocks();
    m_data.reset();
}

void CFile::DropBlocks() {
    for (Block& block : m_blocks)
        block = Block{};
    m_nLast = -1;
    m_nClock = 0;
}

void CFile::ThrowClosed(const char* pszOperation) const {
    const std::string strName = m_strFileName.empty() ? "(unnamed)" : m_strFileName;
    throw CFileException(CFileException::fileNotOpen, m_strFileName,
                         std::string(pszOperation) + " on a file that is not open: " + strName);
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

std::size_t CFile::PreadFull(unsigned char* pOut, std::size_t nCount, std::uint64_t nAt) {
    std::size_t nDone = 0;
    while (nDone < nCount) {
        const ssize_t n =
            ::pread(m_fd, pOut + nDone, nCount - nDone, static_cast<off_t>(nAt + nDone));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw CFileException(CFileException::readError, m_strFileName,
                                 "read error in " + m_strFileName + ": " + std::strerror(errno));
        if (n == 0)
            break;
        nDone += static_cast<std::size_t>(n);
    }
    return nDone;
}

int CFile::FindBlock() {
    const std::uint64_t nStart = m_nPosition - m_nPosition % kBlockSize;
    // A block may go to any way of its set: a lookup looks at kWays slots,
    // not at all of them, and sequential blocks spread over the sets.
    const int nFirst = static_cast<int>((nStart / kBlockSize) % kSets) * kWays;
    int nVictim = nFirst;
    for (int i = nFirst; i < nFirst + kWays; ++i) {
        Block& block = m_blocks[i];
        if (block.nFill > 0 && block.nStart == nStart) {
            if (m_nPosition - nStart < block.nFill) {
                block.nUsed = ++m_nClock;
                m_nLast = i;
                return i;
            }
            // It ended short (the end of the file, then): read it again in
            // place, as the file may have grown since.
            nVictim = i;
            break;
        }
        if (block.nUsed < m_blocks[nVictim].nUsed)
            nVictim = i;
    }
    Block& block = m_blocks[nVictim];
    block = Block{};
    const std::size_t nFill = PreadFull(m_data.get() + nVictim * kBlockSize, kBlockSize, nStart);
    if (m_nPosition - nStart >= nFill)
        return -1;
    block.nStart = nStart;
    block.nFill = nFill;
    block.nUsed = ++m_nClock;
    m_nLast = nVictim;
    return nVictim;
}

int CFile::HoldingBlock() {
    if (m_nLast >= 0) {
        const Block& block = m_blocks[m_nLast];
        if (block.nFill > 0 && m_nPosition >= block.nStart &&
            m_nPosition - block.nStart < block.nFill)
            return m_nLast;
    }
    return FindBlock();
}

std::size_t CFile::Peek(const unsigned char*& pData) {
    ThrowIfClosed("read");
    const int nSlot = HoldingBlock();
    if (nSlot < 0)
        return 0;
    const Block& block = m_blocks[nSlot];
    const std::size_t nOffset = static_cast<std::size_t>(m_nPosition - block.nStart);
    pData = m_data.get() + nSlot * kBlockSize + nOffset;
    return block.nFill - nOffset;
}

std::size_t CFile::Read(void* pBuffer, std::size_t nCount) {
    ThrowIfClosed("read");
    auto* pOut = static_cast<unsigned char*>(pBuffer);
    std::size_t nDone = 0;
    while (nDone < nCount) {
        const std::size_t nLeft = nCount - nDone;
        const Block* pLast = m_nLast >= 0 ? &m_blocks[m_nLast] : nullptr;
        const bool bHit = pLast && pLast->nFill > 0 && m_nPosition >= pLast->nStart &&
                          m_nPosition - pLast->nStart < pLast->nFill;
        if (!bHit && nLeft >= kDirectRead && m_nPosition % kBlockSize == 0) {
            const std::size_t n = PreadFull(pOut + nDone, nLeft, m_nPosition);
            nDone += n;
            m_nPosition += n;
            break;
        }
        const int nSlot = bHit ? m_nLast : FindBlock();
        if (nSlot < 0)
            break;
        const Block& block = m_blocks[nSlot];
        const std::size_t nOffset = static_cast<std::size_t>(m_nPosition - block.nStart);
        const std::size_t nTake = std::min(block.nFill - nOffset, nLeft);
        std::memcpy(pOut + nDone, m_data.get() + nSlot * kBlockSize + nOffset, nTake);
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
