#include "platform/cfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
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
    m_nNextMiss = UINT64_MAX;
}

void CFile::ThrowClosed(const char* pszOperation) const {
    const std::string strName = m_strFileName.empty() ? "(unnamed)" : m_strFileName;
    throw CFileException(CFileException::fileNotOpen, m_strFileName,
                         std::string(pszOperation) + " on a file that is not open: " + strName);
}

std::uint64_t CFile::SeekAny(std::int64_t lOffset, SeekPosition nFrom) {
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
    iovec part{pOut, nCount};
    return PreadvFull(&part, 1, nAt);
}

int CFile::FindBlock() {
    const std::uint64_t nStart = m_nPosition - m_nPosition % kBlockSize;
    // A block may go to any way of its set: a lookup looks at kWays slots,
    // not at all of them, and sequential blocks spread over the sets.
    const int nFirst = SetOf(nStart) * kWays;
    int nVictim = -1;
    for (int i = nFirst; i < nFirst + kWays; ++i)
        if (m_blocks[i].nStart == nStart && m_blocks[i].nFill > 0) {
            nVictim = i;
            break;
        }
    bool bShort = false;
    if (nVictim >= 0) {
        Block& block = m_blocks[nVictim];
        if (m_nPosition - nStart < block.nFill) {
            block.nUsed = ++m_nClock;
            m_nLast = nVictim;
            return nVictim;
        }
        // It ended short (the end of the file, then): read it again in
        // place, as the file may have grown since.
        bShort = true;
    } else {
        nVictim = nFirst;
        for (int i = nFirst + 1; i < nFirst + kWays; ++i)
            if (m_blocks[i].nUsed < m_blocks[nVictim].nUsed)
                nVictim = i;
    }

    // A miss right behind the previous one is a pass through the file (a
    // walk over records): the blocks ahead come in the same system call,
    // each into its own set, until one that is already held.
    const std::uint64_t nBlock = nStart / kBlockSize;
    int slots[kReadAhead] = {nVictim};
    int nAhead = 1;
    if (!bShort && nBlock == m_nNextMiss) {
        for (; nAhead < kReadAhead; ++nAhead) {
            const std::uint64_t nAt = (nBlock + nAhead) * kBlockSize;
            const int nSet = static_cast<int>((nBlock + nAhead) % kSets) * kWays;
            int nSlot = nSet;
            bool bHeld = false;
            for (int i = nSet; i < nSet + kWays && !bHeld; ++i) {
                bHeld = m_blocks[i].nFill > 0 && m_blocks[i].nStart == nAt;
                if (m_blocks[i].nUsed < m_blocks[nSlot].nUsed)
                    nSlot = i;
            }
            if (bHeld)
                break;
            slots[nAhead] = nSlot;
        }
    }
    m_nNextMiss = nBlock + static_cast<std::uint64_t>(nAhead);
    iovec parts[kReadAhead];
    for (int j = 0; j < nAhead; ++j) {
        m_blocks[slots[j]] = Block{};
        parts[j].iov_base = m_data.get() + slots[j] * kBlockSize;
        parts[j].iov_len = kBlockSize;
    }
    const std::size_t nRead = PreadvFull(parts, nAhead, nStart);
    // The block asked for last, so that it is the most recently used.
    for (int j = nAhead - 1; j >= 0; --j) {
        const std::size_t nBefore = static_cast<std::size_t>(j) * kBlockSize;
        const std::size_t nFill = nRead > nBefore ? std::min(nRead - nBefore, kBlockSize) : 0;
        if (nFill == 0)
            continue;
        Block& block = m_blocks[slots[j]];
        block.nStart = nStart + nBefore;
        block.nFill = nFill;
        block.nUsed = ++m_nClock;
    }
    if (m_nPosition - nStart >= std::min(nRead, kBlockSize))
        return -1;
    m_nLast = nVictim;
    return nVictim;
}

std::size_t CFile::PreadvFull(iovec* pParts, int nParts, std::uint64_t nAt) {
    // Only regular files are opened, and a read from one returns less than
    // asked only at the end of the file or beyond what Linux reads in one
    // call (2 GiB less a page): at the end no second call is needed to learn
    // it. A signal before any byte is read is the one case to try again.
    constexpr std::size_t kMaxPerCall = 0x7ffff000;
    std::size_t nDone = 0;
    while (nParts > 0) {
        std::size_t nAsked = 0;
        for (int j = 0; j < nParts; ++j)
            nAsked += pParts[j].iov_len;
        const ssize_t n = ::preadv(m_fd, pParts, nParts, static_cast<off_t>(nAt + nDone));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw CFileException(CFileException::readError, m_strFileName,
                                 "read error in " + m_strFileName + ": " + std::strerror(errno));
        nDone += static_cast<std::size_t>(n);
        if (n == 0 || (static_cast<std::size_t>(n) < nAsked && nAsked <= kMaxPerCall))
            break;
        auto nLeft = static_cast<std::size_t>(n);
        while (nParts > 0 && nLeft >= pParts->iov_len) {
            nLeft -= pParts->iov_len;
            ++pParts;
            --nParts;
        }
        if (nParts > 0) {
            pParts->iov_base = static_cast<unsigned char*>(pParts->iov_base) + nLeft;
            pParts->iov_len -= nLeft;
        }
    }
    return nDone;
}

std::size_t CFile::PeekMiss(const unsigned char*& pData) {
    const int nSlot = FindBlock();
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
