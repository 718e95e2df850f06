// verlumo-icons: writes the application icon set for installation,
//   verlumo-icons OUTDIR
// as OUTDIR/hicolor/NxN/apps/verlumo.png for every size the window carries
// and OUTDIR/hicolor/scalable/apps/verlumo.svg, all from viewer/appicon.cpp.
#include "viewer/appicon.h"

#include <QString>

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

void WriteIcons(const std::filesystem::path& outDir) {
    for (int nSize : kAppIconSizes) {
        const std::string strSize = std::to_string(nSize);
        const std::filesystem::path dir = outDir / "hicolor" / (strSize + "x" + strSize) / "apps";
        std::filesystem::create_directories(dir);
        const std::filesystem::path file = dir / "verlumo.png";
        if (!AppIconImage(nSize).save(QString::fromStdString(file.string()), "PNG"))
            throw std::runtime_error(file.string() + ": cannot be written");
    }
    const std::filesystem::path dir = outDir / "hicolor" / "scalable" / "apps";
    std::filesystem::create_directories(dir);
    std::ofstream svg(dir / "verlumo.svg", std::ios::binary);
    svg << AppIconSvg(kAppIconSizes.back());
    if (!svg.flush())
        throw std::runtime_error((dir / "verlumo.svg").string() + ": cannot be written");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: verlumo-icons OUTDIR\n";
        return 2;
    }
    try {
        WriteIcons(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "verlumo-icons: " << e.what() << '\n';
        return 2;
    }
    return 0;
}
