#include "platform/regfile.h"

#include "platform/cp1251.h"

#include <algorithm>

namespace regfile {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

// A line break or NUL cannot be written in a name of the text format.
bool IsValidName(std::string_view s) {
    return s.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

// 1 to nMaxDigits hex digits, the whole of s.
std::optional<std::uint32_t> ParseHexNumber(std::string_view s, std::size_t nMaxDigits) {
    if (s.empty() || s.size() > nMaxDigits)
        return std::nullopt;
    std::uint32_t n = 0;
    for (char ch : s) {
        const int d = cp1251::HexDigitValue(static_cast<unsigned char>(ch));
        if (d < 0)
            return std::nullopt;
        n = n << 4 | static_cast<std::uint32_t>(d);
    }
    return n;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
}

// A quoted string at the start of s with \\ and \" escaped; s moves past it.
std::optional<std::string> ParseQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"')
        return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char ch = s[i];
        if (ch == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (ch == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                return std::nullopt;
            out.push_back(s[++i]);
            continue;
        }
        out.push_back(ch);
    }
    return std::nullopt;
}

// Comma-separated bytes of one or two hex digits, blanks allowed around them
// and one comma after the last.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view s) {
    std::vector<std::uint8_t> bytes;
    s = TrimLeft(TrimRight(s));
    while (!s.empty()) {
        const std::size_t nComma = s.find(',');
        const std::string_view token = TrimRight(s.substr(0, nComma));
        const auto n = ParseHexNumber(token, 2);
        if (!n)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*n));
        if (nComma == std::string_view::npos)
            break;
        s = TrimLeft(s.substr(nComma + 1));
    }
    return bytes;
}

void AppendQuoted(std::string& out, std::string_view s) {
    out.push_back('"');
    for (char ch : s) {
        if (ch == '\\' || ch == '"')
            out.push_back('\\');
        out.push_back(ch);
    }
    out.push_back('"');
}

// REG_SZ data the quoted form gives back exactly: one NUL, at the end, and no
// line break (which would end the line).
bool IsPlainString(const Value& v) {
    if (v.dwType != kRegSz || v.data.empty() || v.data.back() != 0)
        return false;
    return std::none_of(v.data.begin(), v.data.end() - 1,
                        [](std::uint8_t b) { return b == 0 || b == '\r' || b == '\n'; });
}

void AppendValue(std::string& out, const Value& v) {
    static const char kDigits[] = "0123456789abcdef";
    const std::size_t nLineStart = out.size();
    if (v.strName.empty())
        out.push_back('@');
    else
        AppendQuoted(out, v.strName);
    out.push_back('=');
    if (IsPlainString(v)) {
        AppendQuoted(
            out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
    } else if (v.dwType == kRegDword && v.data.size() == 4) {
        const std::uint32_t n = v.data[0] | v.data[1] << 8 | v.data[2] << 16 |
                                static_cast<std::uint32_t>(v.data[3]) << 24;
        out += "dword:";
        for (int nShift = 28; nShift >= 0; nShift -= 4)
            out.push_back(kDigits[n >> nShift & 0xF]);
    } else {
        if (v.dwType == kRegBinary) {
            out += "hex:";
        } else {
            out += "hex(";
            bool bDigits = false;
            for (int nShift = 28; nShift >= 0; nShift -= 4) {
                const unsigned d = v.dwType >> nShift & 0xF;
                if (d || bDigits || nShift == 0) {
                    out.push_back(kDigits[d]);
                    bDigits = true;
                }
            }
            out += "):";
        }
        // Wrapped as the registry editor does: no line longer than 80 columns.
        std::size_t nColumn = out.size() - nLineStart;
        for (std::size_t i = 0; i < v.data.size(); ++i) {
            out.push_back(kDigits[v.data[i] >> 4]);
            out.push_back(kDigits[v.data[i] & 0xF]);
            if (i + 1 == v.data.size())
                break;
            out.push_back(',');
            nColumn += 3;
            if (nColumn + 3 > 78) {
                out += "\\\r\n  ";
                nColumn = 2;
            }
        }
    }
    out += "\r\n";
}

// Splits the text into lines at LF, dropping one CR before it.
class CLines {
public:
    explicit CLines(std::string_view text) : m_text(text) {}
    bool Next(std::string_view& line) {
        if (m_nAt >= m_text.size()) // a final line end starts no further line
            return false;
        const std::size_t nEnd = m_text.find('\n', m_nAt);
        const std::size_t nStop = nEnd == std::string_view::npos ? m_text.size() : nEnd;
        line = m_text.substr(m_nAt, nStop - m_nAt);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_nAt = nStop + 1;
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_nAt = 0;
};

// One value line after its name: the data, with any continuation lines.
bool ParseData(std::string_view rest, CLines& lines, std::uint32_t& dwType,
               std::vector<std::uint8_t>& data) {
    if (!rest.empty() && rest.front() == '"') {
        auto text = ParseQuoted(rest);
        if (!text || !rest.empty())
            return false;
        dwType = kRegSz;
        data.assign(text->begin(), text->end());
        data.push_back(0);
        return true;
    }
    if (StartsWithNoCase(rest, "dword:")) {
        const auto n = ParseHexNumber(rest.substr(6), 8);
        if (!n)
            return false;
        dwType = kRegDword;
        data = {static_cast<std::uint8_t>(*n), static_cast<std::uint8_t>(*n >> 8),
                static_cast<std::uint8_t>(*n >> 16), static_cast<std::uint8_t>(*n >> 24)};
        return true;
    }
    if (!StartsWithNoCase(rest, "hex"))
        return false;
    rest.remove_prefix(3);
    if (!rest.empty() && rest.front() == '(') {
        const std::size_t nClose = rest.find(')');
        if (nClose == std::string_view::npos)
            return false;
        const auto n = ParseHexNumber(rest.substr(1, nClose - 1), 8);
        if (!n)
            return false;
        dwType = *n;
        rest.remove_prefix(nClose + 1);
    } else {
        dwType = kRegBinary;
    }
    if (rest.empty() || rest.front() != ':')
        return false;
    rest.remove_prefix(1);
    std::string list(rest);
    std::string_view line;
    while (!list.empty() && list.back() == '\\') {
        list.pop_back();
        if (!lines.Next(line))
            return false;
        list += TrimLeft(TrimRight(line));
    }
    auto bytes = ParseHexBytes(list);
    if (!bytes)
        return false;
    data = std::move(*bytes);
    return true;
}

} // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (cp1251::CharUpper(static_cast<unsigned char>(a[i])) !=
            cp1251::CharUpper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

CHive::CHive() {
    m_keys.push_back(Key{std::string(), npos, 0, 0, {}, {}});
}

std::string CHive::ChildKey(std::size_t nParent, std::string_view strName) {
    return std::to_string(nParent) + '\\' + cp1251::ToUpper(strName);
}

std::size_t CHive::FindChild(std::size_t nParent, std::string_view strName) const {
    const auto it = m_children.find(ChildKey(nParent, strName));
    return it == m_children.end() ? npos : it->second;
}

bool CHive::IsValidPath(std::string_view strPath) {
    if (strPath.empty())
        return true;
    if (!IsValidName(strPath) || strPath.front() == '\\' || strPath.back() == '\\')
        return false;
    return strPath.find("\\\\") == std::string_view::npos;
}

std::size_t CHive::FindKey(std::string_view strPath) const {
    if (!IsValidPath(strPath))
        return npos;
    std::size_t nKey = kRoot;
    while (!strPath.empty() && nKey != npos) {
        const std::size_t nSlash = strPath.find('\\');
        nKey = FindChild(nKey, strPath.substr(0, nSlash));
        strPath.remove_prefix(nSlash == std::string_view::npos ? strPath.size() : nSlash + 1);
    }
    return nKey;
}

std::size_t CHive::CreateKey(std::string_view strPath, bool* pbCreated) {
    if (pbCreated)
        *pbCreated = false;
    if (!IsValidPath(strPath))
        return npos;
    std::size_t nKey = kRoot;
    while (!strPath.empty()) {
        const std::size_t nSlash = strPath.find('\\');
        const std::string_view strName = strPath.substr(0, nSlash);
        strPath.remove_prefix(nSlash == std::string_view::npos ? strPath.size() : nSlash + 1);
        std::size_t nChild = FindChild(nKey, strName);
        if (nChild == npos) {
            nChild = m_keys.size();
            m_keys.push_back(Key{std::string(strName), nKey, 0, 0, {}, {}});
            m_children.emplace(ChildKey(nKey, strName), nChild);
            Key& parent = m_keys[nKey];
            ++parent.nSubKeys;
            parent.cchMaxSubKey =
                std::max(parent.cchMaxSubKey, static_cast<std::uint32_t>(strName.size()));
            if (pbCreated)
                *pbCreated = true;
        }
        nKey = nChild;
    }
    return nKey;
}

std::string CHive::KeyPath(std::size_t nKey) const {
    std::vector<const std::string*> names;
    for (; nKey != kRoot && nKey != npos; nKey = m_keys[nKey].nParent)
        names.push_back(&m_keys[nKey].strName);
    std::string strPath;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!strPath.empty())
            strPath.push_back('\\');
        strPath += **it;
    }
    return strPath;
}

std::size_t CHive::FindValue(std::size_t nKey, std::string_view strName) const {
    const auto& index = m_keys[nKey].valueIndex;
    const auto it = index.find(cp1251::ToUpper(strName));
    return it == index.end() ? npos : it->second;
}

void CHive::SetValue(std::size_t nKey, std::string_view strName, std::uint32_t dwType,
                     std::vector<std::uint8_t> data) {
    Key& key = m_keys[nKey];
    const auto [it, bNew] = key.valueIndex.emplace(cp1251::ToUpper(strName), key.values.size());
    if (bNew) {
        key.values.push_back(Value{std::string(strName), dwType, std::move(data)});
        return;
    }
    Value& v = key.values[it->second];
    v.dwType = dwType;
    v.data = std::move(data);
}

bool CHive::operator==(const CHive& other) const {
    if (m_keys.size() != other.m_keys.size())
        return false;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        const Key& a = m_keys[i];
        const Key& b = other.m_keys[i];
        if (a.strName != b.strName || a.nParent != b.nParent || a.values != b.values)
            return false;
    }
    return true;
}

std::optional<CHive> Parse(std::string_view bytes, std::string_view strRootName) {
    if (bytes.size() > kMaxFileSize)
        return std::nullopt;
    CLines lines(bytes);
    std::string_view line;
    if (!lines.Next(line) || TrimRight(line) != kHeader)
        return std::nullopt;
    CHive hive;
    std::size_t nKey = CHive::npos;
    while (lines.Next(line)) {
        line = TrimRight(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            if (line.size() < 2 || line.back() != ']')
                return std::nullopt;
            const std::string_view inner = line.substr(1, line.size() - 2);
            const std::size_t nSlash = inner.find('\\');
            if (!NamesEqual(inner.substr(0, nSlash), strRootName))
                return std::nullopt;
            if (nSlash == std::string_view::npos) {
                nKey = CHive::kRoot;
                continue;
            }
            const std::string_view strPath = inner.substr(nSlash + 1);
            if (strPath.empty() || !CHive::IsValidPath(strPath))
                return std::nullopt;
            nKey = hive.CreateKey(strPath);
            continue;
        }
        if (nKey == CHive::npos)
            return std::nullopt;
        std::string_view rest = line;
        std::string strName;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else {
            auto name = ParseQuoted(rest);
            if (!name || !IsValidName(*name))
                return std::nullopt;
            strName = std::move(*name);
        }
        rest = TrimLeft(rest);
        if (rest.empty() || rest.front() != '=')
            return std::nullopt;
        rest = TrimLeft(rest.substr(1));
        std::uint32_t dwType = 0;
        std::vector<std::uint8_t> data;
        if (!ParseData(rest, lines, dwType, data))
            return std::nullopt;
        hive.SetValue(nKey, strName, dwType, std::move(data));
    }
    return hive;
}

std::optional<std::string> Serialize(const CHive& hive, std::string_view strRootName,
                                     std::size_t nMaxSize) {
    std::string out(kHeader);
    out += "\r\n\r\n";
    for (std::size_t nKey = 0; nKey < hive.KeyCount(); ++nKey) {
        const auto& values = hive.Values(nKey);
        if (nKey == CHive::kRoot && values.empty())
            continue;
        out.push_back('[');
        out += strRootName;
        if (nKey != CHive::kRoot) {
            out.push_back('\\');
            out += hive.KeyPath(nKey);
        }
        out += "]\r\n";
        for (const Value& v : values) {
            AppendValue(out, v);
            if (out.size() > nMaxSize)
                return std::nullopt;
        }
        out += "\r\n";
        if (out.size() > nMaxSize)
            return std::nullopt;
    }
    return out;
}

} // namespace regfile
