// Decoding speed of picture streams against giflib on the same pixels, with
// memcpy of the pixel array as the ceiling. Prints MB/s of output per case and,
// at the end, one row per picture: the ratio ours / giflib beside the ratio
// the decoder is meant to reach on that kind of picture.

#include "pictures/lzwcodec.h"
#include "pictures/lzwencoder.h"
#include "platform/cfile.h"
#include "platform/processheap.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct CImage {
    std::string strName;
    double dTarget; // the least ratio ours / giflib this kind of picture must show
    int nWidth;
    int nHeight;
    Bytes pixels; // 8-bit indices; widths are multiples of 4, so no row padding
};

// Smooth shading, as a photo quantised to a palette: a sky gradient, a lit
// sphere and rolling ground, with a little sensor noise.
CImage PhotoLike(int nWidth, int nHeight) {
    CImage img{"photo " + std::to_string(nWidth) + "x" + std::to_string(nHeight), 2.5, nWidth,
               nHeight, Bytes(static_cast<std::size_t>(nWidth) * nHeight)};
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, 1.5);
    const double cx = nWidth * 0.62, cy = nHeight * 0.4, r = nHeight * 0.25;
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x) {
            double v;
            const double dx = (x - cx) / r, dy = (y - cy) / r;
            const double ground = nHeight * (0.7 + 0.05 * std::sin(x * 0.013));
            if (dx * dx + dy * dy < 1.0)
                v = 60 + 150 * std::max(0.0, -0.5 * dx - 0.6 * dy +
                                                 0.6 * std::sqrt(1 - dx * dx - dy * dy));
            else if (y > ground)
                v = 40 + 30 * std::sin(x * 0.05 + y * 0.11) + (y - ground) * 0.2;
            else
                v = 120 + 100.0 * y / nHeight;
            v += noise(rng);
            img.pixels[static_cast<std::size_t>(y) * nWidth + x] =
                static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
        }
    return img;
}

// A flat-colour drawing: a few colours, hard edges, like the rendered views of
// the sample database.
CImage FlatDrawing(int nWidth, int nHeight) {
    CImage img{"flat " + std::to_string(nWidth) + "x" + std::to_string(nHeight), 20.0, nWidth,
               nHeight, Bytes(static_cast<std::size_t>(nWidth) * nHeight, 200)};
    auto set = [&](int x, int y, unsigned char c) {
        if (x >= 0 && x < nWidth && y >= 0 && y < nHeight)
            img.pixels[static_cast<std::size_t>(y) * nWidth + x] = c;
    };
    const double sx = nWidth / 640.0, sy = nHeight / 480.0;
    // Fuselage, wings, tail, engines, windows, ground line.
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x) {
            const double u = x / sx, v = y / sy;
            const double ex = (u - 320) / 250, ey = (v - 240) / 28;
            if (ex * ex + ey * ey < 1)
                set(x, y, 15);
            if (v > 230 && v < 300 && u > 260 + (v - 230) * 1.2 && u < 360 + (v - 230) * 0.4)
                set(x, y, 40);
            if (u > 520 && u < 560 && v > 130 + (u - 520) * 0.2 && v < 230)
                set(x, y, 41);
            for (int e = 0; e < 2; ++e) {
                const double gx = (u - 280 - e * 50) / 18, gy = (v - 290 - e * 12) / 9;
                if (gx * gx + gy * gy < 1)
                    set(x, y, 90);
            }
            if (v > 232 && v < 238 && u > 150 && u < 480 && static_cast<int>(u) % 14 < 6)
                set(x, y, 7);
            if (v > 440)
                set(x, y, 120);
        }
    return img;
}

CImage Noise(int nWidth, int nHeight) {
    CImage img{"noise " + std::to_string(nWidth) + "x" + std::to_string(nHeight), 3.0, nWidth,
               nHeight, Bytes(static_cast<std::size_t>(nWidth) * nHeight)};
    std::mt19937 rng(3);
    for (auto& b : img.pixels)
        b = static_cast<unsigned char>(rng());
    return img;
}

std::string TempPath(const char* pszSuffix) {
    char name[] = "/tmp/verlumo-bench-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    ::close(fd);
    const std::string strPath = std::string(name) + pszSuffix;
    std::rename(name, strPath.c_str());
    return strPath;
}

void WriteFile(const std::string& strPath, const Bytes& bytes) {
    std::FILE* f = std::fopen(strPath.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        throw std::runtime_error("cannot write " + strPath);
    std::fclose(f);
}

Bytes ReadFile(const std::string& strPath) {
    std::FILE* f = std::fopen(strPath.c_str(), "rb");
    if (!f)
        throw std::runtime_error("cannot read " + strPath);
    Bytes out;
    unsigned char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

// The same pixels as a GIF, written by giflib itself.
Bytes EncodeGif(const CImage& img) {
    const std::string strPath = TempPath(".gif");
    int nError = 0;
    GifFileType* gif = EGifOpenFileName(strPath.c_str(), false, &nError);
    if (!gif)
        throw std::runtime_error("EGifOpenFileName failed");
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = GifColorType{static_cast<GifByteType>(i), static_cast<GifByteType>(i),
                                  static_cast<GifByteType>(255 - i)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    bool bOk = EGifPutScreenDesc(gif, img.nWidth, img.nHeight, 8, 0, map) == GIF_OK &&
               EGifPutImageDesc(gif, 0, 0, img.nWidth, img.nHeight, false, nullptr) == GIF_OK;
    for (int y = 0; bOk && y < img.nHeight; ++y)
        bOk = EGifPutLine(gif,
                          const_cast<GifPixelType*>(img.pixels.data()) +
                              static_cast<std::size_t>(y) * img.nWidth,
                          img.nWidth) == GIF_OK;
    bOk = EGifCloseFile(gif, &nError) == GIF_OK && bOk;
    GifFreeMapObject(map);
    if (!bOk)
        throw std::runtime_error("giflib could not write the GIF");
    Bytes out = ReadFile(strPath);
    std::remove(strPath.c_str());
    return out;
}

struct CMemoryReader {
    const Bytes* pData;
    std::size_t nPos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* pOut, int nCount) {
    auto* pReader = static_cast<CMemoryReader*>(gif->UserData);
    const std::size_t nLeft = pReader->pData->size() - pReader->nPos;
    const std::size_t n = std::min(nLeft, static_cast<std::size_t>(nCount));
    std::memcpy(pOut, pReader->pData->data() + pReader->nPos, n);
    pReader->nPos += n;
    return static_cast<int>(n);
}

bool DecodeGif(const Bytes& gifBytes, unsigned char* pOut, std::size_t nPixels) {
    CMemoryReader reader{&gifBytes, 0};
    int nError = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &nError);
    if (!gif)
        return false;
    bool bOk = false;
    GifRecordType type;
    while (DGifGetRecordType(gif, &type) == GIF_OK && type != TERMINATE_RECORD_TYPE) {
        if (type == IMAGE_DESC_RECORD_TYPE) {
            bOk = DGifGetImageDesc(gif) == GIF_OK &&
                  DGifGetLine(gif, pOut, static_cast<int>(nPixels)) == GIF_OK;
            break;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            int nCode;
            GifByteType* pExt;
            if (DGifGetExtension(gif, &nCode, &pExt) != GIF_OK)
                break;
            while (pExt && DGifGetExtensionNext(gif, &pExt) == GIF_OK) {
            }
        }
    }
    DGifCloseFile(gif, &nError);
    return bOk;
}

struct CCase {
    CImage image;
    std::string strStreamPath; // our LZW stream, in a file as the viewer reads it
    Bytes gif;
};

std::vector<std::unique_ptr<CCase>>& Cases() {
    static std::vector<std::unique_ptr<CCase>> cases;
    return cases;
}

void SetRate(benchmark::State& state, std::size_t nBytes) {
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(nBytes) *
                                                    static_cast<double>(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

void BenchOurs(benchmark::State& state, const CCase* pCase) {
    CFile file;
    if (!file.Open(pCase->strStreamPath)) {
        state.SkipWithError("cannot open the stream");
        return;
    }
    Bytes out(pCase->image.pixels.size());
    for (auto _ : state) {
        file.Seek(0, CFile::begin);
        const int nResult = DecodePictureBits(file, out.data(), out.size());
        benchmark::DoNotOptimize(nResult);
        benchmark::ClobberMemory();
    }
    if (out != pCase->image.pixels)
        state.SkipWithError("decoded pixels differ");
    SetRate(state, out.size());
}

void BenchGiflib(benchmark::State& state, const CCase* pCase) {
    Bytes out(pCase->image.pixels.size());
    for (auto _ : state) {
        const bool bOk = DecodeGif(pCase->gif, out.data(), out.size());
        benchmark::DoNotOptimize(bOk);
        benchmark::ClobberMemory();
    }
    if (out != pCase->image.pixels)
        state.SkipWithError("giflib pixels differ");
    SetRate(state, out.size());
}

void BenchMemcpy(benchmark::State& state, const CCase* pCase) {
    Bytes out(pCase->image.pixels.size());
    for (auto _ : state) {
        std::memcpy(out.data(), pCase->image.pixels.data(), out.size());
        benchmark::ClobberMemory();
    }
    SetRate(state, out.size());
}

// Collects the rates and prints ours / giflib per picture after the table.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions, the best run stands for the case: this machine is
        // shared, and interference only ever slows a run down.
        for (const Run& run : runs) {
            const auto it = run.counters.find("MB/s");
            if (it == run.counters.end() || run.error_occurred)
                continue;
            if (run.run_type == Run::RT_Iteration ||
                (run.run_type == Run::RT_Aggregate && run.aggregate_name == "best"))
                m_rates[run.run_name.str()] = it->second.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-22s %10s %10s %10s %8s %8s\n", "picture", "ours MB/s", "giflib", "memcpy",
                    "ratio", "target");
        for (const auto& pCase : Cases()) {
            const std::string& name = pCase->image.strName;
            const double ours = Rate("ours/" + name), gif = Rate("giflib/" + name);
            const double ratio = gif > 0 ? ours / gif : 0.0;
            const double target = pCase->image.dTarget;
            std::printf("%-22s %10.0f %10.0f %10.0f %7.2fx %6.1fx %s\n", name.c_str(), ours, gif,
                        Rate("memcpy/" + name), ratio, target,
                        ours <= 0 || gif <= 0 ? "not run"
                        : ratio >= target     ? "met"
                                              : "MISSED");
        }
    }

private:
    double Rate(const std::string& strName) const {
        const auto it = m_rates.find(strName);
        return it == m_rates.end() ? 0.0 : it->second;
    }
    std::map<std::string, double> m_rates;
};

} // namespace

int main(int argc, char** argv) {
    // The viewer's heap, where the decoder's tables live.
    SetProcessHeap();
    const CImage images[] = {PhotoLike(640, 480), PhotoLike(1024, 768), FlatDrawing(640, 480),
                             FlatDrawing(1024, 768), Noise(240, 160)};
    for (const CImage& img : images) {
        auto pCase = std::make_unique<CCase>();
        pCase->image = img;
        pCase->strStreamPath = TempPath(".lzw");
        WriteFile(pCase->strStreamPath, EncodeLzw(img.pixels));
        pCase->gif = EncodeGif(img);
        Cases().push_back(std::move(pCase));
    }
    for (const auto& pCase : Cases()) {
        const std::string& name = pCase->image.strName;
        // "best" is the largest rate (shortest time) over --benchmark_repetitions.
        const auto best = [](const std::vector<double>& v) {
            return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
        };
        benchmark::RegisterBenchmark(("ours/" + name).c_str(), BenchOurs, pCase.get())
            ->ComputeStatistics("best", best);
        benchmark::RegisterBenchmark(("giflib/" + name).c_str(), BenchGiflib, pCase.get())
            ->ComputeStatistics("best", best);
        benchmark::RegisterBenchmark(("memcpy/" + name).c_str(), BenchMemcpy, pCase.get())
            ->ComputeStatistics("best", best);
    }

    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto& pCase : Cases())
        std::remove(pCase->strStreamPath.c_str());
    return 0;
}
