#include "tools/dbgenerate.h"

#include "data/databasefiles.h"
#include "platform/cp1251.h"
#include "tools/dbbuilder.h"
#include "tools/progressbar.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace {

// The sample's two templates, built in (see tools/CMakeLists.txt).
#include "tools/sampletemplates.inc"

// splitmix64: small, fast, and the same sequence on every platform, unlike
// the distributions of <random>.
class CRandom {
public:
    explicit CRandom(std::uint64_t nSeed) : m_nState(nSeed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_nState += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    // In [nLow, nHigh].
    std::int32_t Int(std::int32_t nLow, std::int32_t nHigh) {
        const auto nSpan = static_cast<std::uint64_t>(std::int64_t{nHigh} - nLow + 1);
        return static_cast<std::int32_t>(nLow + static_cast<std::int64_t>(Next() % nSpan));
    }
    // In [dLow, dHigh), rounded to a tenth as the sample's figures are.
    float Real(double dLow, double dHigh) {
        const double d = dLow + (dHigh - dLow) * static_cast<double>(Next() >> 11) / 0x1p53;
        return static_cast<float>(std::round(d * 10) / 10);
    }
    template <class T, std::size_t N> const T& Pick(const std::array<T, N>& items) {
        return items[Next() % N];
    }

private:
    std::uint64_t m_nState;
};

std::string Cp(std::string_view strUtf8) {
    return cp1251::FromUtf8(strUtf8).value();
}

// A firm with its country and the prefix of its models: the shared strings
// that lie near the start of the pool, as in a real database.
struct Firm {
    const char* pszFirm;
    const char* pszCountry;
    const char* pszPrefix;
};
constexpr std::array<Firm, 16> kFirms = {{
    {"ОКБ Туполева", "СССР", "Ту-"},
    {"ОКБ Ильюшина", "СССР", "Ил-"},
    {"ОКБ Антонова", "Украина", "Ан-"},
    {"ОКБ Яковлева", "Россия", "Як-"},
    {"ОКБ Сухого", "Россия", "Су-"},
    {"ОКБ Микояна", "СССР", "МиГ-"},
    {"ОКБ Миля", "Россия", "Ми-"},
    {"ОКБ Камова", "Россия", "Ка-"},
    {"ТАНТК Бериева", "Россия", "Бе-"},
    {"Boeing", "США", "B-"},
    {"Airbus", "Франция", "A"},
    {"Lockheed", "США", "L-"},
    {"de Havilland", "Великобритания", "DH."},
    {"Dassault", "Франция", "Mirage "},
    {"Fokker", "Нидерланды", "F"},
    {"Let", "Чехословакия", "L-"},
}};
constexpr std::array<const char*, 12> kRoles = {
    "пассажирский", "транспортный", "истребитель",      "бомбардировщик",
    "учебный",      "многоцелевой", "вертолёт",         "амфибия",
    "разведчик",    "штурмовик",    "административный", "сельскохозяйственный",
};
constexpr std::array<const char*, 16> kNames = {
    "Crusty", "Classic", "Coaler", "Candid", "Fagot",  "Fencer", "Hip",    "Helix",
    "Mail",   "Cub",     "Гроза",  "Сокол",  "Беркут", "Стриж",  "Витязь", "Буран",
};
constexpr std::array<const char*, 8> kNotes = {
    "Серийный",   "Опытный",          "Модернизированный", "С удлинённым фюзеляжем",
    "Экспортный", "Палубный вариант", "С реверсом тяги",   "Грузовой вариант",
};
constexpr std::array<const char*, 6> kGroups = {
    "Гражданская авиация", "Военная авиация", "Вертолёты",
    "Экспериментальные",   "Учебные",         "Транспортные",
};
constexpr std::array<const char*, 4> kViews = {"side-large", "side", "top", "front"};
static_assert(kViews.size() == kMaxGeneratedPictures);

constexpr std::array<AircraftClass, 6> kClasses = {
    AircraftClass::Airliner, AircraftClass::WideBody,  AircraftClass::Turboprop,
    AircraftClass::Fighter,  AircraftClass::Transport, AircraftClass::Light,
};

SourceType MakeType(CRandom& rnd, std::int32_t nIndex, const GenerateOptions& options) {
    SourceType type;
    const Firm& firm = rnd.Pick(kFirms);
    type.strFirm = Cp(firm.pszFirm);
    type.strCountry = Cp(firm.pszCountry);
    type.strModel = Cp(firm.pszPrefix) + std::to_string(nIndex);
    if (rnd.Next() % 3 == 0)
        type.strModel += Cp("М");
    type.strType = Cp(rnd.Pick(kRoles));
    // A name of its own, as a real type has: the pool holds the names in type
    // order, far behind the shared firms and countries. Every fifth type has
    // none: the card and the search show "-".
    if (nIndex % 5 != 4)
        type.strName = Cp(rnd.Pick(kNames)) + "-" + std::to_string(nIndex);
    type.strText = Cp(rnd.Pick(kNotes)) + ", " + std::to_string(rnd.Int(1, 1500)) + Cp(" шт.");

    // The figures hang together roughly as a real type's do; the keys of the
    // source (tools/dbsource.cpp) name each field.
    AircraftRecord& r = type.record;
    const float fSpan = rnd.Real(8, 70);
    r.value7 = fSpan;                                                                // wingspan_m
    r.value8 = static_cast<float>(std::round(fSpan * rnd.Real(0.8, 1.4) * 10) / 10); // length_m
    r.value9 = rnd.Real(2.5, 19);                                                    // height_m
    r.year = rnd.Int(1930, 2015);
    r.value10 = rnd.Int(1, 4);                                 // engine_count
    r.value11 = rnd.Int(1, 6);                                 // crew
    r.value12 = rnd.Next() % 4 == 0 ? 0 : rnd.Int(4, 400);     // passengers; none for many
    r.value13 = static_cast<std::int32_t>(fSpan * fSpan * 60); // max_takeoff_weight_kg
    r.value14 = r.value13 * 55 / 100;                          // empty_weight_kg
    r.value15 = r.value13 / 5;                                 // max_payload_kg
    r.value16 = rnd.Int(200, 2500);                            // max_speed_kmh
    r.value17 = r.value16 * 9 / 10;                            // cruise_speed_kmh
    r.value18 = rnd.Int(90, 300);                              // landing_speed_kmh
    r.value19 = rnd.Int(3, 250);                               // climb_rate_ms
    r.value20 = rnd.Int(3000, 20000);                          // service_ceiling_m
    r.value21 = rnd.Int(500, 15000);                           // range_km
    r.value22 = r.value21 * 3 / 2;                             // ferry_range_km
    r.value24 = r.value18 + 20;                                // takeoff_speed_kmh
    r.value25 = r.value18 - 30;                                // min_speed_kmh
    r.value26 = rnd.Int(200, 3000);                            // landing_run_m
    r.value27 = r.value26 * 5 / 4;                             // takeoff_run_m
    r.value28 = rnd.Int(100, 60000);                           // engine_power
    r.value29 = r.value13 / 3;                                 // fuel_kg
    r.value30 = r.value13 * 9 / 10;                            // max_landing_weight_kg
    r.value31 = rnd.Next() % 6 == 0 ? 0 : rnd.Int(1, 5000);    // number_built
    r.value32 = static_cast<float>(std::round(fSpan * fSpan / rnd.Real(4, 10) * 10) / 10);
    r.value33 = rnd.Real(2, 12);                              // wing_aspect_ratio
    r.value34 = rnd.Real(100, 700);                           // wing_loading_kgm2
    r.value35 = rnd.Next() % 3 == 0 ? 0.0f : rnd.Real(0, 60); // wing_sweep_deg

    // Altitude, speed, range: the strip table's rows.
    const int nStrips = rnd.Int(0, 5);
    for (int i = 0; i < nStrips; ++i)
        type.strips.push_back(
            {{i * 2000, r.value17 * (80 + i * 4) / 100, r.value21 * (60 + i * 8) / 100}});

    if (options.nPictures > 0) {
        // Class and engines are taken from the sequence even for a type that
        // shares another's pictures, so the later types' figures do not
        // depend on nDrawnTypes.
        AircraftDrawing drawing;
        drawing.eClass = rnd.Pick(kClasses);
        drawing.nEngines = rnd.Int(1, 4);
        if (nIndex >= options.nDrawnTypes) {
            type.nPicturesOf = nIndex % options.nDrawnTypes;
        } else {
            type.drawing = drawing;
            for (std::int32_t i = 0; i < options.nPictures; ++i)
                type.views.push_back(kViews[static_cast<std::size_t>(i)]);
        }
    }
    return type;
}

// The tree in pre-order without recursion: leaf j lies under the groups named
// by the digits of j in base nFanout, so a new group opens exactly where a
// digit changes.
void MakeTree(SourceDatabase& db, const GenerateOptions& options) {
    const std::int32_t nGroupLevels = options.nDepth - 1;
    const std::int64_t nLeavesWanted =
        options.nItems ? *options.nItems : std::int64_t{options.nTypes};
    // A fanout that spreads the leaves evenly over the levels; at least 2 so
    // a deep tree does not become a chain.
    std::int64_t nFanout = 2;
    if (nGroupLevels > 0)
        nFanout = std::max<std::int64_t>(
            2, static_cast<std::int64_t>(
                   std::ceil(std::pow(static_cast<double>(std::max<std::int64_t>(nLeavesWanted, 1)),
                                      1.0 / options.nDepth))));
    std::array<std::int32_t, kMaxGeneratedDepth> groupRecord{};
    std::array<std::int64_t, kMaxGeneratedDepth> groupDigit{};
    groupDigit.fill(-1);
    const auto groupCaption = [&](std::int32_t nLevel, std::int64_t nDigit) {
        if (nLevel == 0)
            return Cp(kGroups[static_cast<std::size_t>(nDigit) % kGroups.size()]) + " " +
                   std::to_string(nDigit + 1);
        return Cp("Группа ") + std::to_string(db.tree.size());
    };

    const auto itemsLeft = [&] {
        return options.nItems ? *options.nItems - static_cast<std::int64_t>(db.tree.size())
                              : std::numeric_limits<std::int64_t>::max();
    };
    for (std::int64_t j = 0; options.nItems ? itemsLeft() > 0 : j < options.nTypes; ++j) {
        // Digits of j, most significant first, one per group level.
        std::array<std::int64_t, kMaxGeneratedDepth> digits{};
        std::int64_t nRest = j / nFanout;
        for (std::int32_t nLevel = nGroupLevels - 1; nLevel >= 0; --nLevel) {
            digits[static_cast<std::size_t>(nLevel)] = nRest % nFanout;
            nRest /= nFanout;
        }
        std::int32_t nFirstNew = nGroupLevels;
        for (std::int32_t nLevel = 0; nLevel < nGroupLevels; ++nLevel)
            if (digits[static_cast<std::size_t>(nLevel)] !=
                groupDigit[static_cast<std::size_t>(nLevel)]) {
                nFirstNew = nLevel;
                break;
            }
        // New groups only while they leave room for the leaf below them.
        if (itemsLeft() > nGroupLevels - nFirstNew) {
            for (std::int32_t nLevel = nFirstNew; nLevel < nGroupLevels; ++nLevel) {
                const auto i = static_cast<std::size_t>(nLevel);
                groupDigit[i] = digits[i];
                groupRecord[i] = static_cast<std::int32_t>(db.tree.size());
                db.tree.push_back(
                    {nLevel == 0 ? -1 : groupRecord[i - 1], -1, groupCaption(nLevel, digits[i])});
            }
        }
        const auto nType = static_cast<std::int32_t>(j % options.nTypes);
        // With fewer items than one chain of groups, the leaves stand at the top.
        const bool bUnderGroup =
            nGroupLevels > 0 && groupDigit[static_cast<std::size_t>(nGroupLevels - 1)] >= 0;
        db.tree.push_back({bUnderGroup ? groupRecord[nGroupLevels - 1] : -1, nType,
                           db.types[static_cast<std::size_t>(nType)].strModel});
    }
}

void WriteBytes(const std::filesystem::path& path, const unsigned char* p, std::size_t n) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(p), static_cast<std::streamsize>(n));
    out.close();
    if (!out)
        throw std::runtime_error(path.string() + ": cannot be written: " + std::strerror(errno));
}

} // namespace

SourceDatabase GenerateSource(const GenerateOptions& options) {
    if (options.nTypes < 1)
        throw std::invalid_argument("--types must be at least 1");
    if (options.nDepth < 1 || options.nDepth > kMaxGeneratedDepth)
        throw std::invalid_argument("--depth must be 1 to " + std::to_string(kMaxGeneratedDepth));
    if (options.nPictures < 0 || options.nPictures > kMaxGeneratedPictures)
        throw std::invalid_argument("--pictures must be 0 to " +
                                    std::to_string(kMaxGeneratedPictures));
    if (options.nDrawnTypes < 1)
        throw std::invalid_argument("at least one type must be drawn");
    // Pre-order positions are int32 in the viewer; Tree.dat's 12-byte
    // records stay below 2 GiB well before that.
    constexpr std::int32_t kMaxItems = INT32_MAX / 12;
    if (options.nItems && (*options.nItems < 1 || *options.nItems > kMaxItems))
        throw std::invalid_argument("--items must be 1 to " + std::to_string(kMaxItems));
    if (!options.nItems && options.nTypes > kMaxItems / (options.nDepth > 1 ? 2 : 1))
        throw std::invalid_argument("--types is too large for one tree");

    SourceDatabase db;
    CRandom rnd(options.nSeed);
    db.types.reserve(static_cast<std::size_t>(options.nTypes));
    for (std::int32_t i = 0; i < options.nTypes; ++i)
        db.types.push_back(MakeType(rnd, i, options));
    MakeTree(db, options);
    return db;
}

void GenerateDatabase(const GenerateOptions& options, const std::string& strOutDir,
                      std::ostream* pProgress) {
    const SourceDatabase db = GenerateSource(options);
    CProgressBar progress(pProgress, "types", static_cast<std::int64_t>(db.types.size()));
    BuildDatabase(db, strOutDir, &progress);
    progress.Finish();
    const std::filesystem::path dir(strOutDir);
    WriteBytes(dir / CDatabaseFiles::kCardTemplateName, kCardTemplate, sizeof kCardTemplate);
    WriteBytes(dir / CDatabaseFiles::kExtraTemplateName, kExtraTemplate, sizeof kExtraTemplate);
}
