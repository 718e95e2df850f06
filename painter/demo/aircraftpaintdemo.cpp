// Renders the picture of every type of a source file in every view, as PNG
// files, to look at the drawings without building a database:
//   verlumo-paintdemo sample/aircraft.json OUTDIR [--sheet]
// The 8-bit views go through ToPalette8 as the database stores them. --sheet
// also writes one contact sheet per view with every type on it.

#include "painter/aircraftpainter.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using nlohmann::json;

namespace {

struct DemoType {
    std::string strCaption;
    std::string strWhere;
    AircraftDrawing drawing;
};

struct DemoView {
    const char* pszName;
    AircraftView view;
    int nWidth, nHeight;
    bool bIndexed;
};

const DemoView kViews[] = {
    {"preview", AircraftView::Side, 240, 160, true},
    {"side-large", AircraftView::Side, 800, 500, true},
    {"side", AircraftView::Side, 480, 300, true},
    {"top", AircraftView::Top, 480, 480, false},
    {"front", AircraftView::Front, 400, 260, true},
};

double Metres(const json& type, const char* pszKey) {
    const auto it = type.find(pszKey);
    return it != type.end() && it->is_number() ? it->get<double>() : 0.0;
}

void Collect(const json& nodes, const std::string& strWhere, std::vector<DemoType>& types) {
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const json& node = nodes[k];
        const std::string strAt = strWhere + "[" + std::to_string(k) + "]";
        if (const auto it = node.find("type"); it != node.end()) {
            const json& type = *it;
            const std::string strPicture = strAt + ".type.picture";
            DemoType demo{node.value("caption", std::string()), strPicture,
                          ParseDrawing(type.value("picture", json::object()), strPicture)};
            demo.drawing.dLength = Metres(type, "length_m");
            demo.drawing.dSpan = Metres(type, "wingspan_m");
            demo.drawing.dHeight = Metres(type, "height_m");
            types.push_back(demo);
        }
        if (const auto it = node.find("children"); it != node.end())
            Collect(*it, strAt + ".children", types);
    }
}

std::string FileName(std::size_t nIndex, const std::string& strCaption) {
    std::string strName = std::to_string(nIndex + 1);
    strName.insert(0, 2 - std::min<std::size_t>(2, strName.size()), '0');
    strName += '-';
    for (char c : strCaption)
        strName += (c == ' ' || c == '/' || c == '"' || c == '\'') ? '_' : c;
    return strName;
}

void Save(const QImage& image, const std::filesystem::path& path) {
    if (!image.save(QString::fromStdString(path.string()), "PNG"))
        throw std::runtime_error(path.string() + ": cannot be written");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SOURCE.json OUTDIR [--sheet]\n", argv[0]);
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in)
            throw std::runtime_error(std::string(argv[1]) + ": cannot be read");
        const json source = json::parse(in);
        std::vector<DemoType> types;
        Collect(source.at("tree"), "tree", types);

        const std::filesystem::path outDir(argv[2]);
        std::filesystem::create_directories(outDir);
        const bool bSheet = argc > 3 && std::string(argv[3]) == "--sheet";
        for (const DemoView& view : kViews) {
            // Sheet cells 300 pixels wide, enough to compare the silhouettes.
            const int nColumns = 6;
            const int nRows = static_cast<int>((types.size() + nColumns - 1) / nColumns);
            const int nCellW = 300, nCellH = 300 * view.nHeight / view.nWidth;
            QImage sheet;
            if (bSheet) {
                sheet = QImage(nColumns * nCellW, nRows * nCellH, QImage::Format_RGB32);
                sheet.fill(Qt::white);
            }
            for (std::size_t k = 0; k < types.size(); ++k) {
                QImage image =
                    PaintAircraft(types[k].drawing, view.view, view.nWidth, view.nHeight);
                if (view.bIndexed)
                    image = ToPalette8(image);
                Save(image,
                     outDir / (FileName(k, types[k].strCaption) + "-" + view.pszName + ".png"));
                if (bSheet) {
                    QPainter painter(&sheet);
                    painter.setRenderHint(QPainter::SmoothPixmapTransform);
                    painter.drawImage(QRect(static_cast<int>(k % nColumns) * nCellW,
                                            static_cast<int>(k / nColumns) * nCellH, nCellW,
                                            nCellH),
                                      image);
                }
            }
            if (bSheet)
                Save(sheet, outDir / (std::string("sheet-") + view.pszName + ".png"));
        }
        std::printf("%zu types, %zu pictures each\n", types.size(), std::size(kViews));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
