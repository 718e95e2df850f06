#include "tools/dbdump.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/striprecord.h"
#include "data/treerecord.h"
#include "mainwnd/typetree.h"
#include "platform/cp1251.h"
#include "platform/treectrl.h"

#include <array>
#include <charconv>
#include <cstring>
#include <string>

namespace {

// Gathered output is handed to the stream in pieces of this size: a write
// per element cost more than formatting it, and 1 MiB stays in the cache.
constexpr std::size_t kFlushBytes = 1 << 20;

// The JSON text is gathered in one reused buffer and written in large pieces.
class CJsonOut {
public:
    explicit CJsonOut(std::ostream& out) : m_out(out) { m_str.reserve(2 * kFlushBytes); }
    ~CJsonOut() { Flush(); }

    void Number(std::int64_t n) {
        char buffer[24]; // INT64_MIN has 20 characters
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
        m_str.append(buffer, result.ptr);
    }
    // After each element: a million of them cost a few writes, not a million.
    void ElementDone() {
        if (m_str.size() >= kFlushBytes)
            Flush();
    }
    void Flush() {
        m_out.write(m_str.data(), static_cast<std::streamsize>(m_str.size()));
        m_str.clear();
    }

    std::string m_str;

private:
    std::ostream& m_out;
};

// Each cp1251 byte as it stands inside a JSON string: converted to UTF-8 and
// escaped once per byte value, by the same two rules as any other text.
struct JsonByte {
    unsigned char nLength;
    char text[6]; // "\u001f" is the longest; a cp1251 letter takes 2 or 3 bytes
};

const std::array<JsonByte, 256>& JsonBytes() {
    static const std::array<JsonByte, 256> table = [] {
        std::array<JsonByte, 256> bytes{};
        std::string strQuoted;
        for (int ch = 0; ch < 256; ++ch) {
            strQuoted.clear();
            AppendJsonString(strQuoted, cp1251::ToUtf8(std::string(1, static_cast<char>(ch))));
            const std::string_view strText =
                std::string_view(strQuoted).substr(1, strQuoted.size() - 2);
            JsonByte& b = bytes[static_cast<std::size_t>(ch)];
            b.nLength = static_cast<unsigned char>(strText.copy(b.text, sizeof b.text));
        }
        return bytes;
    }();
    return table;
}

void DumpTree(CDatabaseFiles& files, CJsonOut& out) {
    CTreeCtrl ctlTree;
    const std::int32_t nNoPosition = -1;
    CTypeTree typeTree(ctlTree, files, &nNoPosition);
    typeTree.Build();
    std::string& str = out.m_str;
    std::int32_t nPosition = 0;
    for (HTREEITEM h = ctlTree.GetRootItem(); h; h = typeTree.GetNextTreeItem(h), ++nPosition) {
        str += nPosition ? ",\n    {\"position\":" : "\n    {\"position\":";
        out.Number(nPosition);
        // The build puts each record under the item of its parent record, so
        // the parent's position is the record's parent field.
        str += ",\"parent\":";
        out.Number(typeTree.GetItemPosition(ctlTree.GetParentItem(h)));
        str += ",\"item\":";
        out.Number(ctlTree.GetItemData(h));
        str += ",\"caption\":";
        AppendJsonCp1251(str, ctlTree.GetItemText(h));
        str += '}';
        out.ElementDone();
    }
}

void DumpTypes(CDatabaseFiles& files, CJsonOut& out) {
    if (!files.m_fileAircraft.IsOpen())
        return;
    CAircraftText text(&files);
    std::string& str = out.m_str;
    const std::int64_t nRecords = files.m_fileAircraft.GetRecordCount();
    const std::int64_t nStripRows =
        files.m_fileStrips.IsOpen() ? files.m_fileStrips.GetRecordCount() : 0;
    for (std::int64_t n = 0; n < nRecords && n <= INT32_MAX; ++n) {
        if (!text.Load(static_cast<std::int32_t>(n)))
            break;
        const AircraftRecord& rec = text.m_record;
        str += n ? ",\n    {\"record\":" : "\n    {\"record\":";
        out.Number(n);
        str += ",\"slots\":[";
        for (std::size_t i = 0; i < text.m_texts.size(); ++i) {
            if (i)
                str += ',';
            AppendJsonCp1251(str, text.m_texts[i]);
        }
        str += "],\"pictureCount\":";
        out.Number(rec.pictureCount);
        str += ",\"previewOffset\":";
        out.Number(rec.previewOffset);
        str += ",\"firstStrip\":";
        out.Number(rec.firstStrip);
        str += ",\"stripCount\":";
        out.Number(rec.stripCount);
        str += ",\"strips\":[";
        bool bFirst = true;
        for (const StripRecord& row : ReadStripRows(files.m_fileStrips, rec, nStripRows)) {
            str += bFirst ? "[" : ",[";
            bFirst = false;
            for (int i = 0; i < 3; ++i) {
                if (i)
                    str += ',';
                out.Number(row.values[i]);
            }
            str += ']';
        }
        str += "]}";
        out.ElementDone();
    }
}

} // namespace

void AppendJsonCp1251(std::string& strOut, std::string_view strCp1251) {
    const std::array<JsonByte, 256>& table = JsonBytes();
    // Measured first, then written in place: one resize instead of an append
    // per letter (Cyrillic text is nearly all escapes of two bytes).
    std::size_t nLength = 2;
    for (const char ch : strCp1251)
        nLength += table[static_cast<unsigned char>(ch)].nLength;
    const std::size_t nAt = strOut.size();
    // Room for a whole entry behind the last byte: every entry is copied at
    // its fixed size and the excess overwritten by the next one.
    strOut.resize(nAt + nLength + sizeof JsonByte::text);
    char* p = strOut.data() + nAt;
    *p++ = '"';
    for (const char ch : strCp1251) {
        const JsonByte& b = table[static_cast<unsigned char>(ch)];
        std::memcpy(p, b.text, sizeof b.text);
        p += b.nLength;
    }
    *p = '"';
    strOut.resize(nAt + nLength);
}

void AppendJsonString(std::string& strOut, std::string_view strUtf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    strOut += '"';
    for (const char ch : strUtf8) {
        switch (ch) {
        case '"':
            strOut += "\\\"";
            break;
        case '\\':
            strOut += "\\\\";
            break;
        case '\b':
            strOut += "\\b";
            break;
        case '\f':
            strOut += "\\f";
            break;
        case '\n':
            strOut += "\\n";
            break;
        case '\r':
            strOut += "\\r";
            break;
        case '\t':
            strOut += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(ch) < 0x20) {
                strOut += "\\u00";
                strOut += kHex[static_cast<unsigned char>(ch) >> 4];
                strOut += kHex[static_cast<unsigned char>(ch) & 0xF];
            } else {
                strOut += ch;
            }
        }
    }
    strOut += '"';
}

void DumpDatabase(CDatabaseFiles& files, std::ostream& out) {
    CJsonOut json(out);
    json.m_str += "{\n  \"tree\": [";
    DumpTree(files, json);
    json.m_str += "\n  ],\n  \"types\": [";
    DumpTypes(files, json);
    json.m_str += "\n  ]\n}\n";
}
