// Arbitrary bytes as a picture record: header, DIB section, decoding. The
// decoder must agree with the plain reference decoder of the tests on result,
// pixels and file position, and the encoder's stream of the input must decode
// back to it.
//
// Built by hand: clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined
// -I. -Itests with fuzz/fuzz_picture.cpp, platform/cfile.cpp, platform/dibsection.cpp,
// pictures/pictureheader.cpp, lzwcodec.cpp, lzwencoder.cpp and
// tests/support/lzw/lzwreference.cpp.

#include "pictures/lzwcodec.h"
#include "pictures/lzwencoder.h"
#include "pictures/pictureheader.h"
#include "platform/dibsection.h"
#include "support/lzw/lzwreference.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// The input as a file, through CFile like the viewer reads Pictures.dat.
class CMemFile {
public:
    CMemFile() : m_fd(::memfd_create("picture", 0)) {
        if (m_fd < 0)
            std::abort();
        m_strPath = "/proc/self/fd/" + std::to_string(m_fd);
    }
    void Set(const std::uint8_t* pData, std::size_t nSize) {
        if (::ftruncate(m_fd, 0) != 0 ||
            (nSize > 0 && ::pwrite(m_fd, pData, nSize, 0) != static_cast<ssize_t>(nSize)))
            std::abort();
    }
    const std::string& Path() const { return m_strPath; }

private:
    int m_fd;
    std::string m_strPath;
};

// Big enough for every header the fuzzer finds quickly, small enough that
// zeroing the pixels does not dominate; CDibSection's own bounds are tested
// by the unit tests.
constexpr std::size_t kMaxFuzzPixels = std::size_t{1} << 20;

void Check(bool b) {
    if (!b)
        std::abort();
}

} // namespace

// A small 8-bit picture, for the driver that runs without libFuzzer.
std::vector<std::uint8_t> FuzzSeed() {
    std::vector<unsigned char> pixels(16 * 8);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i % 5 == 0 ? i : 3);
    const std::vector<RGBQUAD> colours(16);
    return WritePictureRecord(16, 8, 8, colours, pixels);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    static CMemFile mem;
    mem.Set(pData, nSize);

    CFile file;
    Check(file.Open(mem.Path()));
    std::unique_ptr<CBitmapInfo> pBlock;
    const int nTable = ReadPictureHeader(file, pBlock);
    if (nTable >= 0) {
        Check(pBlock != nullptr && pBlock->bmiHeader.biSizeImage == 0);
        Check(file.GetPosition() == kPictureHeaderSize + static_cast<std::uint64_t>(nTable));
        const BITMAPINFOHEADER& h = pBlock->bmiHeader;
        const bool bSmall = h.biWidth > 0 && h.biHeight > 0 && h.biBitCount <= 32 &&
                            CDibSection::StrideFor(h.biWidth, h.biBitCount) *
                                    static_cast<std::size_t>(h.biHeight) <=
                                kMaxFuzzPixels;
        if (bSmall) {
            if (const auto pDib = CDibSection::Create(*pBlock)) {
                const std::uint64_t nStream = file.GetPosition();
                const int nResult = DecodePictureBits(file, pDib->GetBits(), pDib->GetSize());
                const std::uint64_t nEnd = file.GetPosition();

                std::vector<unsigned char> refBits(pDib->GetSize());
                file.Seek(static_cast<std::int64_t>(nStream), CFile::begin);
                CLzwReference reference(&file, refBits.data(), refBits.size());
                Check(nResult == reference.Decode());
                Check(nEnd == file.GetPosition());
                Check(std::memcmp(refBits.data(), pDib->GetBits(), refBits.size()) == 0);
                for (std::int32_t y = 0; y < pDib->GetHeight(); y += 7)
                    for (std::int32_t x = 0; x < pDib->GetWidth(); x += 5)
                        (void)pDib->GetPixelRgb(x, y);
            }
        }
    }

    // The encoder's stream of any bytes decodes back to them, exactly to its
    // end.
    const std::vector<unsigned char> stream = EncodeLzw({pData, nSize});
    mem.Set(stream.data(), stream.size());
    CFile encoded;
    Check(encoded.Open(mem.Path()));
    std::vector<unsigned char> out(nSize + 1);
    CLzwCodec codec(&encoded, out.data(), nSize);
    Check(codec.Decode() == 1);
    Check(codec.GetOutCount() == nSize);
    Check(nSize == 0 || std::memcmp(out.data(), pData, nSize) == 0);
    Check(encoded.GetPosition() == stream.size());
    return 0;
}
