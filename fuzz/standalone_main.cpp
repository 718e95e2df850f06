// Runs a fuzz target without libFuzzer: over the files and the files of the
// folders named on the command line (the checked-in corpus), then over
// deterministic pseudo-random mutations of a small seed, so the normal test
// run exercises every target on hostile input. "--seed FILE" writes the seed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize);
// Each target names a seed input that reaches deep into its reader.
std::vector<std::uint8_t> FuzzSeed();

namespace {

void RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(data.data(), data.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--seed") {
        const std::vector<std::uint8_t> seed = FuzzSeed();
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.data()),
                  static_cast<std::streamsize>(seed.size()));
        return out ? 0 : 1;
    }
    int nFiles = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.is_regular_file()) {
                    RunFile(entry.path());
                    ++nFiles;
                }
        } else {
            RunFile(argv[i]);
            ++nFiles;
        }
    }
    const std::vector<std::uint8_t> seed = FuzzSeed();
    std::mt19937 rng(20261206);
    int nRuns = 0;
    for (; nRuns < 3000; ++nRuns) {
        std::vector<std::uint8_t> data = seed;
        const int nEdits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < nEdits; ++e) {
            const std::size_t nPos = data.empty() ? 0 : rng() % data.size();
            switch (rng() % 4) {
            case 0:
                if (!data.empty())
                    data[nPos] = static_cast<std::uint8_t>(rng());
                break;
            case 1:
                data.insert(data.begin() + static_cast<std::ptrdiff_t>(nPos),
                            static_cast<std::uint8_t>(rng()));
                break;
            case 2:
                if (!data.empty())
                    data.erase(data.begin() + static_cast<std::ptrdiff_t>(nPos));
                break;
            default:
                if (!data.empty())
                    data[nPos] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
                break;
            }
        }
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    std::printf("%d files and %d mutated inputs, no failure\n", nFiles, nRuns);
    return 0;
}
