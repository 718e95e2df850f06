#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Read-only file with a small cache of 4 KiB blocks. Byte-at-a-time readers
// (the string pool, the LZW stream) cost no system call per byte, and reads
// that jump between a few places (a type's record, its firm's string near the
// start of the pool, its own strings far behind) cost one pread per block
// not yet held rather than a refill of one large window. The logical position
// is always exact: it is where the caller's reads left it, not where a block
// happens to end.
class CFileException : public std::runtime_error {
public:
    enum Cause { none, fileNotOpen, badSeek, readError };

    CFileException(Cause cause, const std::string& strFileName, const std::string& strWhat);

    Cause m_cause;
    std::string m_strFileName;
};

class CFile {
public:
    enum SeekPosition { begin = 0, current = 1, end = 2 };
    enum OpenFlags { modeRead = 0 };

    CFile();
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens for reading; false when the file cannot be opened (it stays closed).
    bool Open(const std::string& strFileName, unsigned nOpenFlags = modeRead);
    // Closing a file that never opened does nothing.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // errno of the last Open that failed (EISDIR for what is not a regular
    // file), 0 after one that succeeded.
    int GetOpenError() const { return m_nOpenError; }
    const std::string& GetFilePath() const { return m_strFileName; }

    // Seeking past the end succeeds; a negative result position or a closed
    // file raises CFileException.
    std::uint64_t Seek(std::int64_t lOffset, SeekPosition nFrom) {
        // Inline for the common case: every record and string read seeks.
        if (nFrom == begin && lOffset >= 0 && m_fd >= 0)
            return m_nPosition = static_cast<std::uint64_t>(lOffset);
        return SeekAny(lOffset, nFrom);
    }
    // Returns the number of bytes read; 0 at the end of the file.
    std::size_t Read(void* pBuffer, std::size_t nCount);
    // The bytes held from the position on, up to the end of their block, read
    // in when needed; 0 at the end of the file. The position stays: a caller
    // that scans in place (a NUL-terminated string) moves it with Seek.
    std::size_t Peek(const unsigned char*& pData) {
        ThrowIfClosed("read");
        // Inline when a block holds the position: the tree build peeks once
        // per caption, nearly always in the last block; the search's five
        // names of a type lie in a few blocks that stay held.
        int nSlot = m_nLast;
        if (nSlot < 0 || !Holds(m_blocks[nSlot])) {
            const int nFirst = SetOf(m_nPosition) * kWays;
            nSlot = -1;
            for (int i = nFirst; i < nFirst + kWays; ++i)
                if (Holds(m_blocks[i])) {
                    nSlot = i;
                    m_blocks[i].nUsed = ++m_nClock;
                    m_nLast = i;
                    break;
                }
            if (nSlot < 0)
                return PeekMiss(pData);
        }
        const Block& block = m_blocks[nSlot];
        const auto nOffset = static_cast<std::size_t>(m_nPosition - block.nStart);
        pData = m_data.get() + static_cast<std::size_t>(nSlot) * kBlockSize + nOffset;
        return block.nFill - nOffset;
    }
    std::uint64_t GetLength() const;
    std::uint64_t GetPosition() const;

private:
    struct Block {
        std::uint64_t nStart = 0; // file offset, a multiple of kBlockSize
        std::size_t nFill = 0;    // valid bytes; 0 for a free slot
        std::uint64_t nUsed = 0;  // m_nClock when last looked up, for least recently used
    };

    // A free slot holds nothing (nFill 0), and a position before the block
    // wraps around to far beyond it.
    bool Holds(const Block& block) const { return m_nPosition - block.nStart < block.nFill; }
    static int SetOf(std::uint64_t nOffset) {
        return static_cast<int>((nOffset / kBlockSize) % kSets);
    }
    std::uint64_t SeekAny(std::int64_t lOffset, SeekPosition nFrom);
    std::size_t PeekMiss(const unsigned char*& pData);
    // Inline: every record and string read passes here.
    void ThrowIfClosed(const char* pszOperation) const {
        if (m_fd < 0)
            ThrowClosed(pszOperation);
    }
    [[noreturn]] void ThrowClosed(const char* pszOperation) const;
    std::size_t PreadFull(unsigned char* pOut, std::size_t nCount, std::uint64_t nAt);
    // The same into consecutive parts (which it uses up as it goes).
    std::size_t PreadvFull(struct iovec* pParts, int nParts, std::uint64_t nAt);
    // The slot holding the byte at m_nPosition, read in when needed; -1 at
    // the end of the file.
    int FindBlock();
    void DropBlocks();

    static constexpr std::size_t kBlockSize = 4096; // the page size: one pread fetches a page
    // Enough for every place a search or a card touches at once (record,
    // shared strings, own strings, a picture stream) with room to spare;
    // 128 KiB per open file, in sets of four, least recently used first out.
    static constexpr int kWays = 4;
    static constexpr int kSets = 8;
    static constexpr int kBlockCount = kWays * kSets;
    // Blocks read at once on a second miss in a row: a walk through a file
    // costs one system call per 32 KiB, and it takes one way of each set,
    // never a whole set.
    static constexpr int kReadAhead = kSets;
    // A read at least this long that misses the cache goes straight to the
    // caller's buffer: one system call, no copy twice, no eviction of
    // everything else.
    static constexpr std::size_t kDirectRead = 4 * kBlockSize;

    int m_fd = -1;
    int m_nOpenError = 0;
    std::string m_strFileName;
    std::uint64_t m_nPosition = 0; // logical position
    int m_nLast = -1;              // slot of the last hit: sequential reads look here first
    std::uint64_t m_nClock = 0;
    std::uint64_t m_nNextMiss = UINT64_MAX; // the block behind the last read in
    Block m_blocks[kBlockCount];
    // kBlockCount * kBlockSize, slot by slot; left uninitialised, so that a
    // file read in a few places touches only the pages of its blocks.
    std::unique_ptr<unsigned char[]> m_data;
};
