#include "tools/templatecheck.h"

#include "data/databasefiles.h"
#include "mainwnd/statictext.h"
#include "mainwnd/templatemarkers.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"

#include <cstdint>
#include <fstream>
#include <sstream>

namespace {

// Position of the first occurrence in either letter case, npos when absent,
// as the panes' find reports it.
// The two markers as offsets into the text, npos where one is missing.
std::pair<std::size_t, std::size_t> Markers(const CRichEditCtrl& ctl) {
    const auto [nSpecs, nSpeeds] = FindTemplateMarkers(ctl);
    auto offset = [](long n) { return n < 0 ? std::string::npos : static_cast<std::size_t>(n); };
    return {offset(nSpecs), offset(nSpeeds)};
}

// How many values a chain of card writes can place in this text: each value
// takes the next colon and replaces the rest of its line, so a second colon
// on a caption line is lost to the first value.
int CountReplacingSlots(std::string strText, int nWanted) {
    std::size_t nStart = 0;
    for (int i = 0; i < nWanted; ++i) {
        const std::size_t nColon = strText.find(':', nStart);
        if (nColon == std::string::npos)
            return i;
        const std::size_t c = nColon + 1;
        std::size_t e = strText.find("\r\n", c);
        if (e == std::string::npos)
            e = strText.size();
        strText.replace(c, e - c, " -");
        nStart = c + 2;
    }
    return nWanted;
}

// The additional data dialog inserts behind every colon and removes nothing.
int CountInsertingSlots(const std::string& strText, int nWanted) {
    int n = 0;
    for (std::size_t p = strText.find(':'); p != std::string::npos && n < nWanted;
         p = strText.find(':', p + 1))
        ++n;
    return n;
}

struct Section {
    const char* pszName;
    std::size_t nStart, nEnd;
    int nWanted;
    bool bReplacing;
};

void CheckSections(const std::string& strFile, const std::string& strText,
                   const std::vector<Section>& sections, std::vector<std::string>& problems) {
    for (const Section& s : sections) {
        const std::string strPart = strText.substr(s.nStart, s.nEnd - s.nStart);
        const int nHave = s.bReplacing ? CountReplacingSlots(strPart, s.nWanted)
                                       : CountInsertingSlots(strPart, s.nWanted);
        if (nHave < s.nWanted)
            problems.push_back(strFile + ": section " + s.pszName + " has captions for " +
                               std::to_string(nHave) + " of its " + std::to_string(s.nWanted) +
                               " values (one colon per value)");
    }
}

bool ReadTemplate(const std::string& strDir, const char* pszName, CRichEditCtrl& ctl,
                  std::vector<std::string>& problems) {
    std::ifstream in(CDatabaseFiles::PathIn(strDir, pszName), std::ios::binary);
    if (!in) {
        problems.push_back(std::string(pszName) + ": missing or cannot be read");
        return false;
    }
    // One byte past the viewer's bound tells a template it cuts; the checks
    // below then see the part the viewer shows.
    constexpr std::size_t kMax = CRichEditCtrl::kMaxFileBytes;
    // Room for the file's own length only; a length that cannot be told falls
    // back to the bound.
    std::size_t nRoom = kMax + 1;
    in.seekg(0, std::ios::end);
    const std::streamoff nLength = in.tellg();
    if (nLength >= 0 && static_cast<std::uint64_t>(nLength) < kMax)
        nRoom = static_cast<std::size_t>(nLength) + 1;
    in.clear();
    in.seekg(0, std::ios::beg);
    std::string bytes(nRoom, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMax) {
        problems.push_back(std::string(pszName) + ": longer than " + std::to_string(kMax) +
                           " bytes; the viewer reads only that much of it");
        bytes.resize(kMax);
    }
    ctl.StreamIn(bytes);
    return true;
}

const std::string kSpecsName = "\"" + cp1251::ToUtf8(kSpecsMarker) + "\"";
const std::string kSpeedsName = "\"" + cp1251::ToUtf8(kSpeedsMarker) + "\"";

} // namespace

std::vector<std::string> CheckTemplates(const std::string& strDir) {
    std::vector<std::string> problems;
    CRichEditCtrl ctl;

    const std::string strCard = CDatabaseFiles::kCardTemplateName;
    if (ReadTemplate(strDir, CDatabaseFiles::kCardTemplateName, ctl, problems)) {
        const std::string& strText = ctl.GetText();
        const auto [a, b] = Markers(ctl);
        if (a == std::string::npos)
            problems.push_back(strCard + ": the marker " + kSpecsName + " is missing");
        if (b == std::string::npos)
            problems.push_back(strCard + ": the marker " + kSpeedsName + " is missing");
        if (a != std::string::npos && b != std::string::npos && b < a)
            problems.push_back(strCard + ": " + kSpeedsName + " comes before " + kSpecsName);
        if (a != std::string::npos && b != std::string::npos && a < b)
            CheckSections(strCard, strText,
                          {{"1 (general data)", 0, a, kCardGeneralValues, true},
                           {kSpecsName.c_str(), a, b, kCardSpecsValues, true},
                           {kSpeedsName.c_str(), b, strText.size(), kCardSpeedsValues, true}},
                          problems);
    }

    const std::string strExtra = CDatabaseFiles::kExtraTemplateName;
    if (ReadTemplate(strDir, CDatabaseFiles::kExtraTemplateName, ctl, problems)) {
        const std::string& strText = ctl.GetText();
        const auto [t, s] = Markers(ctl);
        if (s == std::string::npos)
            problems.push_back(strExtra + ": the marker " + kSpeedsName + " is missing");
        if (t == std::string::npos)
            problems.push_back(strExtra + ": the marker " + kSpecsName + " is missing");
        if (s != std::string::npos && t != std::string::npos && t < s)
            problems.push_back(strExtra + ": " + kSpecsName + " comes before " + kSpeedsName);
        if (s != std::string::npos && t != std::string::npos && s < t) {
            if (s < 2 || strText.compare(s - 2, 2, "\r\n") != 0)
                problems.push_back(strExtra +
                                   ": the table heading must end with a line end "
                                   "before " +
                                   kSpeedsName);
            CheckSections(strExtra, strText,
                          {{kSpeedsName.c_str(), s, t, kExtraSpeedsValues, false},
                           {kSpecsName.c_str(), t, strText.size(), kExtraSpecsValues, false}},
                          problems);
        }
    }
    return problems;
}
