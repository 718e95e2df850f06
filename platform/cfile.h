#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Read-only file with an internal read buffer. Byte-at-a-time readers (the
// string pool, the LZW stream) cost no system call per byte, and the logical
// position is always exact: it is where the caller's reads left it, not where
// the buffer happens to end.
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
    std::uint64_t Seek(std::int64_t lOffset, SeekPosition nFrom);
    // Returns the number of bytes read; 0 at the end of the file.
    std::size_t Read(void* pBuffer, std::size_t nCount);
    std::uint64_t GetLength() const;
    std::uint64_t GetPosition() const;

private:
    void ThrowIfClosed(const char* pszOperation) const;
    bool FillBuffer();

    static constexpr std::size_t kBufferSize = 64 * 1024;

    int m_fd = -1;
    int m_nOpenError = 0;
    std::string m_strFileName;
    std::uint64_t m_nPosition = 0;    // logical position
    std::uint64_t m_nBufferStart = 0; // file offset of m_buffer[0]
    std::size_t m_nBufferFill = 0;    // valid bytes in m_buffer
    std::vector<unsigned char> m_buffer;
};
