// One step of the picture viewer, 800 x 500 at 8 bits: the record read and
// decoded into a DIB section, then converted to the image that is drawn.
// Warm: the buffers of the step before are reused, as the viewer does; cold:
// fresh ones each time. The floor reads the same record with one pread and
// copies its pixel bytes once. Argument 0 is the "side-large" picture of a
// generated type (a drawing, as `generate --pictures` makes them), 1 a
// photograph-like picture with grain, which the decoder finds far harder.
// bench/run reads the figures from the JSON output (--benchmark_out).
#include "data/aircraftrecord.h"
#include "data/databasefiles.h"
#include "pictures/lzwencoder.h"
#include "pictures/pictureseries.h"
#include "platform/cfile.h"
#include "platform/dibsection.h"
#include "platform/qt/dibimage.h"
#include "tools/dbgenerate.h"

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 500;

// The two records, each in a file of its own.
class CPictureFile {
public:
    explicit CPictureFile(std::vector<unsigned char> record) : m_record(std::move(record)) {
        char szName[] = "/tmp/verlumo-picture-XXXXXX";
        const int fd = ::mkstemp(szName);
        if (fd < 0)
            throw std::runtime_error("mkstemp failed");
        m_strPath = szName;
        const bool bWritten =
            ::write(fd, m_record.data(), m_record.size()) == static_cast<ssize_t>(m_record.size());
        ::close(fd);
        if (!bWritten)
            throw std::runtime_error("cannot write " + m_strPath);
    }
    ~CPictureFile() { ::unlink(m_strPath.c_str()); }
    CPictureFile(const CPictureFile&) = delete;
    CPictureFile& operator=(const CPictureFile&) = delete;

    std::vector<unsigned char> m_record;
    std::string m_strPath;
};

// The first series picture of a generated type: its "side-large" view.
std::vector<unsigned char> GeneratedRecord() {
    char szDir[] = "/tmp/verlumo-picture-db-XXXXXX";
    if (!::mkdtemp(szDir))
        throw std::runtime_error("mkdtemp failed");
    GenerateOptions options;
    options.nTypes = 1;
    options.nPictures = 1;
    GenerateDatabase(options, szDir, nullptr);
    CDatabaseFiles files;
    files.Open(szDir);
    unsigned char bytes[AircraftRecord::kSize];
    if (!files.m_fileAircraft.ReadRecord(0, bytes))
        throw std::runtime_error("the generated type cannot be read");
    const PictureSeries series =
        ScanPictures(files.m_filePictures, AircraftRecord::FromBytes(bytes));
    if (series.offsets.empty())
        throw std::runtime_error("the generated type has no series picture");
    std::vector<unsigned char> record(files.m_filePictures.GetLength() - series.offsets[0]);
    files.m_filePictures.Seek(series.offsets[0], CFile::begin);
    record.resize(files.m_filePictures.Read(record.data(), record.size()));
    files.Close();
    std::filesystem::remove_all(szDir);
    return record;
}

// Smooth shading with a little grain, so the stream holds codes of every length.
std::vector<unsigned char> GrainRecord() {
    std::vector<RGBQUAD> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i),
                                                static_cast<std::uint8_t>(i),
                                                static_cast<std::uint8_t>(i), 0};
    const std::size_t nStride = CDibSection::StrideFor(kWidth, 8);
    std::vector<unsigned char> pixels(nStride * kHeight);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> grain(-2, 2);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double v = 128 + 60 * std::sin(x * 0.011) * std::cos(y * 0.017) + y * 0.1;
            pixels[static_cast<std::size_t>(y) * nStride + static_cast<std::size_t>(x)] =
                static_cast<unsigned char>(std::clamp(static_cast<int>(v) + grain(rng), 0, 255));
        }
    return WritePictureRecord(kWidth, kHeight, 8, colours, pixels);
}

const CPictureFile& Picture(std::int64_t nWhich) {
    static const CPictureFile generated(GeneratedRecord());
    static const CPictureFile grain(GrainRecord());
    return nWhich == 0 ? generated : grain;
}

void BM_PictureStepWarm(benchmark::State& state) {
    CFile file;
    if (!file.Open(Picture(state.range(0)).m_strPath))
        std::abort();
    std::unique_ptr<CDibSection> pDib;
    QImage image;
    for (auto _ : state) {
        file.Seek(0, CFile::begin);
        pDib = ReadPicture(file, std::move(pDib));
        if (!pDib)
            std::abort();
        DibToImage(*pDib, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PictureStepWarm)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PictureStepCold(benchmark::State& state) {
    CFile file;
    if (!file.Open(Picture(state.range(0)).m_strPath))
        std::abort();
    for (auto _ : state) {
        file.Seek(0, CFile::begin);
        const std::unique_ptr<CDibSection> pDib = ReadPicture(file);
        if (!pDib)
            std::abort();
        const QImage image = DibToImage(*pDib);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PictureStepCold)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The floor: the record's bytes with one pread, and the picture's pixel
// bytes copied once, as any step has to.
void BM_PreadMemcpy(benchmark::State& state) {
    const int fd = ::open(Picture(state.range(0)).m_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        std::abort();
    const std::size_t nPixels = CDibSection::StrideFor(kWidth, 8) * kHeight;
    std::vector<unsigned char> record(Picture(state.range(0)).m_record.size());
    std::vector<unsigned char> source(nPixels, 1), target(nPixels);
    for (auto _ : state) {
        if (::pread(fd, record.data(), record.size(), 0) != static_cast<ssize_t>(record.size()))
            std::abort();
        std::memcpy(target.data(), source.data(), nPixels);
        benchmark::DoNotOptimize(record.data());
        benchmark::DoNotOptimize(target.data());
    }
    ::close(fd);
}
BENCHMARK(BM_PreadMemcpy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // The generated drawing is painted with Qt; no screen is needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
