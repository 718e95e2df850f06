// Seeded corruptions of the sample database, each opened in the real main
// dialog on the offscreen platform (every item selected and its card shown,
// the picture viewer stepped through every picture, the additional data
// opened, a search run) and given to every reading command of verlumo-db.
// Nothing may crash, hang or grow without bound; a command may refuse, but
// only with a message and exit code 1 or 2. The suite runs a dozen kinds;
// VERLUMO_CORRUPTION_ROUNDS=N runs every kind, the random ones N times, for
// a longer run by hand.
#include "support/runtool.h"
#include "support/tempdir.h"
#include "viewer/extradatadialog.h"
#include "viewer/guidb.h"
#include "viewer/picturetoolbar.h"
#include "viewer/searchdialog.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kDataFiles[] = {"Tree.dat", "AircraftItems.dat", "FlightStrips.dat",
                                  "Pictures.dat", "Strings.dat"};
const char* const kTemplates[] = {"Static texts.rtf", "Static texts add.rtf"};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
void Put32(std::string& bytes, std::size_t nAt, std::uint32_t v) {
    if (nAt + 4 <= bytes.size())
        for (int i = 0; i < 4; ++i)
            bytes[nAt + i] = static_cast<char>(v >> (8 * i));
}

// One way of damaging the sample: a name for the report and an edit of the
// copy's files, given a generator seeded by the corruption's number.
struct Corruption {
    std::string strName;
    std::function<void(const fs::path& dir, std::mt19937& rng)> edit;
};

// Edits one file of the copy in memory.
Corruption OnFile(std::string strName, const char* pszFile,
                  std::function<void(std::string&, std::mt19937&)> edit) {
    return {std::move(strName), [pszFile, edit](const fs::path& dir, std::mt19937& rng) {
                std::string bytes = ReadAll(dir / pszFile);
                edit(bytes, rng);
                WriteAll(dir / pszFile, bytes);
            }};
}

std::vector<Corruption> Corruptions(int nRounds) {
    std::vector<Corruption> all;
    // Truncation at every kind of boundary: nothing left, inside the first
    // record, one byte short of a record, in the middle.
    const std::pair<const char*, std::size_t> records[] = {{"Tree.dat", 12},
                                                           {"AircraftItems.dat", 156},
                                                           {"FlightStrips.dat", 12},
                                                           {"Pictures.dat", 40},
                                                           {"Strings.dat", 1}};
    for (const auto& [pszFile, nRecord] : records)
        for (int nWhere : {0, 2, 3})
            all.push_back(OnFile(std::string(pszFile) + " cut " + std::to_string(nWhere), pszFile,
                                 [nRecord = nRecord, nWhere](std::string& b, std::mt19937&) {
                                     const std::size_t n[] = {0, nRecord / 2,
                                                              b.size() / nRecord * nRecord - 1,
                                                              b.size() / 2};
                                     b.resize(std::min(b.size(), n[nWhere]));
                                 }));
    for (const char* pszTemplate : kTemplates) {
        all.push_back(
            OnFile(std::string(pszTemplate) + " cut inside a group", pszTemplate,
                   [](std::string& b, std::mt19937&) { b.resize(b.find('{', b.size() / 2) + 3); }));
        all.push_back(OnFile(std::string(pszTemplate) + " nested 100,000 deep", pszTemplate,
                             [](std::string& b, std::mt19937&) {
                                 b.insert(b.size() / 2, std::string(100'000, '{'));
                             }));
    }
    // Counts and offsets of the types: huge, negative, 2^31.
    const std::pair<const char*, int> fields[] = {{"firm", 0},     {"pictures", 76},
                                                  {"preview", 80}, {"first strip", 116},
                                                  {"strips", 120}, {"type", 124}};
    for (const auto& [pszField, nOffset] : fields)
        for (std::uint32_t v : {0x7FFFFFFFu, 0x80000000u})
            all.push_back(OnFile(std::string("every type's ") + pszField + " " + std::to_string(v),
                                 "AircraftItems.dat",
                                 [nOffset = nOffset, v](std::string& b, std::mt19937&) {
                                     for (std::size_t n = 0; n + 156 <= b.size(); n += 156)
                                         Put32(b, n + nOffset, v);
                                 }));
    // The tree: self-parented, parents and captions out of range, records
    // swapped, a chain.
    all.push_back(OnFile("tree self-parented", "Tree.dat", [](std::string& b, std::mt19937& rng) {
        const std::size_t n = rng() % (b.size() / 12);
        Put32(b, n * 12, static_cast<std::uint32_t>(n));
    }));
    all.push_back(OnFile("tree parents huge", "Tree.dat", [](std::string& b, std::mt19937& rng) {
        for (int k = 0; k < 8; ++k)
            Put32(b, rng() % (b.size() / 12) * 12, 0x7FFFFFFF - k);
    }));
    all.push_back(
        OnFile("tree captions out of the pool", "Tree.dat", [](std::string& b, std::mt19937&) {
            for (std::size_t n = 0; n + 12 <= b.size(); n += 24)
                Put32(b, n + 8, n % 48 ? 0x7FFFFFF0u : 0xFFFFFFFFu);
        }));
    all.push_back(OnFile("tree records swapped", "Tree.dat", [](std::string& b, std::mt19937& rng) {
        for (int k = 0; k < 8; ++k) {
            const std::size_t i = rng() % (b.size() / 12) * 12, j = rng() % (b.size() / 12) * 12;
            for (int c = 0; c < 12; ++c)
                std::swap(b[i + c], b[j + c]);
        }
    }));
    all.push_back(OnFile("tree a chain", "Tree.dat", [](std::string& b, std::mt19937&) {
        for (std::size_t n = 12; n + 12 <= b.size(); n += 12)
            Put32(b, n, static_cast<std::uint32_t>(n / 12 - 1));
    }));
    // The pool without a single NUL.
    all.push_back(OnFile("pool without NUL", "Strings.dat", [](std::string& b, std::mt19937&) {
        for (char& c : b)
            if (c == '\0')
                c = 'A';
    }));
    // Pictures: streams cut short, headers enlarged.
    all.push_back(OnFile("pictures cut short", "Pictures.dat",
                         [](std::string& b, std::mt19937&) { b.resize(b.size() / 2 + 40); }));
    all.push_back(
        OnFile("picture headers enlarged", "Pictures.dat", [](std::string& b, std::mt19937& rng) {
            for (int k = 0; k < 64; ++k) {
                const std::size_t n = rng() % b.size();
                Put32(b, n, k % 2 ? 10000 : 16384);
            }
        }));
    // Random bit flips and random words, in every file, as many rounds as asked.
    for (int nRound = 0; nRound < nRounds; ++nRound)
        for (const char* pszFile : kDataFiles) {
            all.push_back(OnFile(std::string(pszFile) + " bit flips", pszFile,
                                 [](std::string& b, std::mt19937& rng) {
                                     for (int k = 0; k < 32 && !b.empty(); ++k)
                                         b[rng() % b.size()] ^= static_cast<char>(1 << rng() % 8);
                                 }));
            all.push_back(OnFile(std::string(pszFile) + " random words", pszFile,
                                 [](std::string& b, std::mt19937& rng) {
                                     for (int k = 0; k < 8 && b.size() >= 4; ++k)
                                         Put32(b, rng() % (b.size() - 3),
                                               static_cast<std::uint32_t>(rng()));
                                 }));
        }
    return all;
}

// Without VERLUMO_CORRUPTION_ROUNDS: one of each family, so the suite stays
// within a minute.
std::vector<Corruption> SelectedCorruptions() {
    const char* psz = std::getenv("VERLUMO_CORRUPTION_ROUNDS");
    std::vector<Corruption> all = Corruptions(psz ? std::max(1, std::atoi(psz)) : 1);
    if (psz)
        return all;
    const std::string daily[] = {"pool without NUL",
                                 "every type's pictures 2147483648",
                                 "tree a chain",
                                 "tree self-parented",
                                 "tree records swapped",
                                 "Static texts.rtf nested 100,000 deep",
                                 "pictures cut short",
                                 "Static texts add.rtf cut inside a group",
                                 "picture headers enlarged",
                                 "AircraftItems.dat cut 2",
                                 "Strings.dat bit flips",
                                 "Pictures.dat random words"};
    std::vector<Corruption> selected;
    for (Corruption& c : all)
        if (std::find(std::begin(daily), std::end(daily), c.strName) != std::end(daily))
            selected.push_back(std::move(c));
    return selected;
}

class Corrupted : public CDialogTest<>, public testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        CDialogTest::SetUp();
        const std::vector<Corruption> all = SelectedCorruptions();
        ASSERT_LT(GetParam(), static_cast<int>(all.size()));
        m_corruption = all[GetParam()];
        for (const auto& entry : fs::directory_iterator(VERLUMO_SAMPLE_DB_DIR))
            fs::copy_file(entry.path(), fs::path(m_dir.Path()) / entry.path().filename());
        std::mt19937 rng(static_cast<unsigned>(GetParam()) + 1);
        m_corruption.edit(m_dir.Path(), rng);
    }

    // The cards in tree order, by the selection timer as a user's click
    // starts it (every item in a run by hand; in the suite the first few
    // dozen and every eighth, since a card of 64 KiB strings takes a second
    // under the sanitizers); the picture viewer stepped to its end and the
    // additional data opened on the first few types that offer them.
    // Returns the longest single step.
    std::chrono::steady_clock::duration WalkTheDialog() {
        constexpr int kMaxViewers = 3;
        const bool bEvery = std::getenv("VERLUMO_CORRUPTION_ROUNDS") != nullptr;
        const std::int32_t nItems = static_cast<std::int32_t>(Tree()->GetTreeCtrl().GetCount());
        int nExtra = 0, nViewers = 0;
        std::chrono::steady_clock::duration longest{};
        for (std::int32_t n = 0; n < nItems; ++n) {
            if (!bEvery && n >= 24 && n % 8 != 0)
                continue;
            const auto start = std::chrono::steady_clock::now();
            Select(n);
            if (m_pDlg->IsTimerPending(m_pDlg->m_nTimerID))
                FireTimer();
            if (Button(CMainDialog::IDC_IMAGES)->isEnabled() && nViewers < kMaxViewers) {
                ++nViewers;
                Button(CMainDialog::IDC_IMAGES)->click();
                QApplication::processEvents();
                CPictureWnd& wnd = m_pDlg->m_wndPictures;
                for (int k = 0; k < 64 && wnd.IsWindow() && wnd.IsButtonEnabled(ID_PICTURE_NEXT);
                     ++k)
                    wnd.SendCommand(ID_PICTURE_NEXT);
                if (wnd.IsWindow())
                    wnd.SendCommand(ID_PICTURE_CLOSE);
                QApplication::processEvents();
            }
            if (Button(CMainDialog::IDC_ADDITIONAL)->isEnabled() && nExtra < 3) {
                ++nExtra;
                QTimer::singleShot(0, [] {
                    if (auto* pModal =
                            dynamic_cast<CExtraDataDialog*>(QApplication::activeModalWidget()))
                        pModal->close();
                });
                Button(CMainDialog::IDC_ADDITIONAL)->click();
                QApplication::processEvents();
            }
            longest = std::max(longest, std::chrono::steady_clock::now() - start);
        }
        // A search for a letter every name has, and for one no name has.
        for (const char* pszFind : {"а", "ЖЖЖЖ"}) {
            QTimer::singleShot(0, [pszFind] {
                if (auto* pModal =
                        dynamic_cast<CSearchDialog*>(QApplication::activeModalWidget())) {
                    qobject_cast<QLineEdit*>(pModal->GetDlgItem(CSearchDialog::IDC_FIND))
                        ->setText(Q(pszFind));
                    QTest::keyClick(pModal, Qt::Key_Return);
                }
                // A "not found" box closes as its OK would.
                QTimer::singleShot(0, [] {
                    if (QWidget* pModal = QApplication::activeModalWidget())
                        if (!dynamic_cast<CMainDialog*>(pModal))
                            pModal->close();
                });
            });
            Button(CMainDialog::IDC_SEARCH)->click();
            QApplication::processEvents();
        }
        return longest;
    }

    Corruption m_corruption;
};

TEST_P(Corrupted, MainDialogShowsWhatItCan) {
    SCOPED_TRACE(m_corruption.strName);
    const auto start = std::chrono::steady_clock::now();
    OpenDialog(0);
    const auto opened = std::chrono::steady_clock::now();
    const auto longest = WalkTheDialog();
    m_pDlg.reset();
    m_app.Close();
    // Seconds, not minutes, whatever the damage: the bounds hold (generous
    // enough for the sanitizers on a busy machine).
    EXPECT_LT(opened - start, std::chrono::seconds(20));
    EXPECT_LT(longest, std::chrono::seconds(20));
    // Every warning names what it is about.
    for (const std::string& strWarning : m_warnings)
        EXPECT_FALSE(strWarning.empty());
}

TEST_P(Corrupted, EveryCommandAnswersOrRefuses) {
    SCOPED_TRACE(m_corruption.strName);
    const std::string strDir = Quote(m_dir.Path());
    CTempDir out;
    const std::string strOut = Quote(out.Path());
    const std::string commands[] = {
        "check " + strDir,
        "dump " + strDir,
        "card " + strDir + " 1",
        "card " + strDir + " 1 --extra",
        "search " + strDir + " " + Quote("а"),
        "search " + strDir + " " + Quote("ЖЖЖЖ") + " --from 0 --whole-word",
        "pictures " + strDir + " 1 -o " + strOut + "/pictures",
        "render " + strDir + " -o " + strOut + "/main.png --select 1 --viewer 1",
    };
    for (const std::string& strCommand : commands) {
        const ToolResult result = RunTool(strCommand);
        // 0 and 1 are answers; 2 is a refusal, which must say why.
        EXPECT_GE(result.nExit, 0) << strCommand << "\n" << result.strErr;
        EXPECT_LE(result.nExit, 2) << strCommand << "\n" << result.strErr;
        if (result.nExit == 2) {
            EXPECT_FALSE(result.strErr.empty()) << strCommand;
        }
    }
}

// A renamed kind would silently drop out of the daily selection.
TEST(CorruptionKinds, EveryDailyKindIsMade) {
    if (!std::getenv("VERLUMO_CORRUPTION_ROUNDS")) {
        EXPECT_EQ(SelectedCorruptions().size(), 12u);
    }
}

std::string CorruptionName(const testing::TestParamInfo<int>& info) {
    std::string str = std::to_string(info.param);
    str.insert(0, 3 - std::min<std::size_t>(3, str.size()), '0');
    return str;
}

INSTANTIATE_TEST_SUITE_P(Sample, Corrupted,
                         testing::Range(0, static_cast<int>(SelectedCorruptions().size())),
                         CorruptionName);

} // namespace
