#include "platform/cfile.h"
#include "support/tempdir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

class CFileTest : public testing::Test {
protected:
    void Open(const std::string& bytes) {
        m_dir.WriteFile("f", bytes);
        ASSERT_TRUE(m_file.Open(m_dir.File("f")));
    }
    CTempDir m_dir;
    CFile m_file;
};

TEST_F(CFileTest, ClosedFileRaisesWithItsName) {
    EXPECT_FALSE(m_file.Open(m_dir.Path())); // a directory is no file
    EXPECT_FALSE(m_file.Open(m_dir.File("missing.dat")));
    EXPECT_FALSE(m_file.IsOpen());
    try {
        m_file.Seek(0, CFile::begin);
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotOpen);
        EXPECT_EQ(e.m_strFileName, m_dir.File("missing.dat"));
        EXPECT_NE(std::string(e.what()).find("missing.dat"), std::string::npos);
    }
    char ch;
    EXPECT_THROW(m_file.Read(&ch, 1), CFileException);
    m_file.Close(); // closing a file that never opened does nothing
}

TEST_F(CFileTest, NegativeSeekRaisesAndKeepsPosition) {
    Open("abcdef");
    m_file.Seek(3, CFile::begin);
    EXPECT_THROW(m_file.Seek(-1, CFile::begin), CFileException);
    EXPECT_THROW(m_file.Seek(-4, CFile::current), CFileException);
    EXPECT_THROW(m_file.Seek(-7, CFile::end), CFileException);
    EXPECT_EQ(m_file.GetPosition(), 3u);
    EXPECT_EQ(m_file.Seek(-2, CFile::end), 4u);
}

TEST_F(CFileTest, SeekPastEndReadsNothing) {
    Open("abc");
    EXPECT_EQ(m_file.Seek(100, CFile::begin), 100u);
    char buf[4];
    EXPECT_EQ(m_file.Read(buf, 4), 0u);
    EXPECT_EQ(m_file.GetPosition(), 100u);
    EXPECT_EQ(m_file.GetLength(), 3u);
}

// One-byte reads, seeks inside and outside the buffer and reads that straddle
// its end must all give the file's bytes at the exact logical position.
TEST_F(CFileTest, MixedReadsMatchTheFileAtEveryPosition) {
    const std::string data = Pattern(200000);
    Open(data);

    std::string got;
    for (int i = 0; i < 70000; ++i) {
        unsigned char ch;
        ASSERT_EQ(m_file.Read(&ch, 1), 1u);
        got += static_cast<char>(ch);
    }
    EXPECT_EQ(got, data.substr(0, 70000));
    EXPECT_EQ(m_file.GetPosition(), 70000u);

    struct Step {
        std::uint64_t nPos;
        std::size_t nCount;
    };
    const Step steps[] = {{65530, 20},   {10, 5},        {131070, 10}, {0, 150000},
                          {199990, 100}, {65536, 65536}, {1, 199999},  {70000, 1}};
    for (const Step& step : steps) {
        m_file.Seek(static_cast<std::int64_t>(step.nPos), CFile::begin);
        std::string buf(step.nCount, '\0');
        const std::size_t n = m_file.Read(buf.data(), step.nCount);
        const std::size_t nExpected = std::min<std::size_t>(step.nCount, data.size() - step.nPos);
        ASSERT_EQ(n, nExpected) << step.nPos;
        EXPECT_EQ(buf.substr(0, n), data.substr(step.nPos, n)) << step.nPos;
        EXPECT_EQ(m_file.GetPosition(), step.nPos + n);
    }
    m_file.Seek(-5, CFile::current);
    unsigned char ch;
    m_file.Read(&ch, 1);
    EXPECT_EQ(ch, static_cast<unsigned char>(data[70001 - 5]));
}

TEST_F(CFileTest, ReopenStartsAtZero) {
    Open("first");
    m_file.Seek(3, CFile::begin);
    m_dir.WriteFile("b", "second");
    ASSERT_TRUE(m_file.Open(m_dir.File("b")));
    char buf[6];
    ASSERT_EQ(m_file.Read(buf, 6), 6u);
    EXPECT_EQ(std::string(buf, 6), "second");
}

// Reads that jump back and forth between more places than the cache holds,
// each a few bytes, some across a block boundary: every byte is the file's.
TEST_F(CFileTest, ScatteredReadsMatchTheFile) {
    const std::string data = Pattern(1 << 20);
    Open(data);
    std::uint64_t nState = 12345;
    for (int i = 0; i < 20000; ++i) {
        nState = nState * 6364136223846793005u + 1442695040888963407u;
        // Half the reads near a few hot places, half anywhere.
        const std::uint64_t nPos = (i % 2) ? (nState >> 20) % data.size()
                                           : ((nState >> 40) % 5) * 4093 + (nState >> 20) % 64;
        const std::size_t nCount = 1 + (nState >> 8) % 300;
        m_file.Seek(static_cast<std::int64_t>(nPos), CFile::begin);
        std::string buf(nCount, '\0');
        const std::size_t n = m_file.Read(buf.data(), nCount);
        ASSERT_EQ(n, std::min<std::size_t>(nCount, data.size() - nPos)) << nPos;
        ASSERT_EQ(buf.substr(0, n), data.substr(nPos, n)) << nPos;
        ASSERT_EQ(m_file.GetPosition(), nPos + n);
    }
}

// A read that starts inside one block and ends several blocks later, both
// through the cache and past it, and byte-at-a-time reads across a boundary.
TEST_F(CFileTest, ReadsSpanningBlocks) {
    const std::string data = Pattern(100000);
    Open(data);
    for (const auto& [nPos, nCount] : {std::pair<std::size_t, std::size_t>{4090, 12},
                                       {4095, 2},
                                       {8000, 9000},
                                       {100, 40000},
                                       {12288, 16384},
                                       {99990, 50}}) {
        m_file.Seek(static_cast<std::int64_t>(nPos), CFile::begin);
        std::string buf(nCount, '\0');
        const std::size_t n = m_file.Read(buf.data(), nCount);
        const std::size_t nExpected = std::min(nCount, data.size() - nPos);
        ASSERT_EQ(n, nExpected) << nPos;
        EXPECT_EQ(buf.substr(0, n), data.substr(nPos, n)) << nPos;
    }
    m_file.Seek(4094, CFile::begin);
    std::string got;
    for (int i = 0; i < 4; ++i) {
        char ch;
        ASSERT_EQ(m_file.Read(&ch, 1), 1u);
        got += ch;
    }
    EXPECT_EQ(got, data.substr(4094, 4));
}

TEST_F(CFileTest, ReadsAtTheEnd) {
    const std::string data = Pattern(8192 + 10);
    Open(data);
    char buf[32];
    m_file.Seek(8192 + 5, CFile::begin);
    EXPECT_EQ(m_file.Read(buf, sizeof buf), 5u);
    EXPECT_EQ(std::string(buf, 5), data.substr(8197));
    EXPECT_EQ(m_file.Read(buf, 1), 0u); // exactly at the end
    EXPECT_EQ(m_file.GetPosition(), data.size());
    m_file.Seek(8192 + 10 + 4096, CFile::begin); // a whole block past the end
    EXPECT_EQ(m_file.Read(buf, sizeof buf), 0u);
    m_file.Seek(8192, CFile::begin); // the last, short block is still good
    EXPECT_EQ(m_file.Read(buf, 10), 10u);
    EXPECT_EQ(std::string(buf, 10), data.substr(8192));
}

// Another program may change a database while it is open. Bytes the file
// gains behind a short last block are seen; a file cut short reads as its
// new length where nothing of it is held.
TEST_F(CFileTest, FileThatGrowsOrShrinks) {
    const std::string data = Pattern(300000);
    Open(data.substr(0, 5000));
    char buf[16];
    m_file.Seek(4990, CFile::begin);
    ASSERT_EQ(m_file.Read(buf, 16), 10u);
    m_dir.WriteFile("f", data); // rewritten in place, longer
    EXPECT_EQ(m_file.Read(buf, 16), 16u);
    EXPECT_EQ(std::string(buf, 16), data.substr(5000, 16));
    m_file.Seek(200000, CFile::begin);
    ASSERT_EQ(m_file.Read(buf, 16), 16u);
    EXPECT_EQ(std::string(buf, 16), data.substr(200000, 16));

    m_dir.WriteFile("f", data.substr(0, 100000));
    EXPECT_EQ(m_file.GetLength(), 100000u);
    m_file.Seek(150000, CFile::begin);
    EXPECT_EQ(m_file.Read(buf, 16), 0u);
    m_file.Seek(99995, CFile::begin);
    EXPECT_EQ(m_file.Read(buf, 16), 5u);
    EXPECT_EQ(std::string(buf, 5), data.substr(99995, 5));
    EXPECT_EQ(m_file.GetPosition(), 100000u);
}

TEST_F(CFileTest, PeekShowsTheBlockAheadWithoutMoving) {
    const std::string bytes = Pattern(3 * 4096 + 100);
    Open(bytes);
    const unsigned char* p = nullptr;
    for (std::uint64_t nAt : {0u, 1u, 4095u, 4096u, 12287u, 12288u, 12387u}) {
        m_file.Seek(static_cast<std::int64_t>(nAt), CFile::begin);
        const std::size_t n = m_file.Peek(p);
        EXPECT_EQ(n, std::min<std::uint64_t>(4096 - nAt % 4096, bytes.size() - nAt)) << nAt;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), n), bytes.substr(nAt, n)) << nAt;
        EXPECT_EQ(m_file.GetPosition(), nAt);
    }
    m_file.Seek(static_cast<std::int64_t>(bytes.size()), CFile::begin);
    EXPECT_EQ(m_file.Peek(p), 0u);
    m_file.Seek(1 << 20, CFile::begin);
    EXPECT_EQ(m_file.Peek(p), 0u);
    m_file.Close();
    EXPECT_THROW(m_file.Peek(p), CFileException);
}

// Passes through a file (as a walk over records reads it) fetch the blocks
// ahead in one go; interleaved with reads of one hot place and of a place
// behind, every byte still comes back right, up to a last block that ends
// short, and bytes the file gains behind it are seen on the next pass.
TEST_F(CFileTest, PassesThroughTheFileWithReadsElsewhere) {
    const std::string data = Pattern(200000);
    Open(data.substr(0, 150001));
    std::size_t nLength = 150001;
    for (int nPass = 0; nPass < 3; ++nPass) {
        for (std::size_t nAt = static_cast<std::size_t>(nPass) * 7; nAt < nLength + 200;
             nAt += 156) {
            for (const std::size_t nPos : {nAt, std::size_t{17}, nAt / 3}) {
                char buf[156];
                m_file.Seek(static_cast<std::int64_t>(nPos), CFile::begin);
                const std::size_t n = m_file.Read(buf, sizeof buf);
                const std::size_t nExpected =
                    nPos < nLength ? std::min(sizeof buf, nLength - nPos) : 0;
                ASSERT_EQ(n, nExpected) << nPass << " " << nPos;
                ASSERT_EQ(std::string(buf, n), data.substr(std::min(nPos, data.size()), n))
                    << nPass << " " << nPos;
            }
        }
        if (nPass == 1) {
            m_dir.WriteFile("f", data); // grows behind its short last block
            nLength = data.size();
        }
    }
}

} // namespace
