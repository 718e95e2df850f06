#include "tools/dbdump.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/striprecord.h"
#include "data/treerecord.h"
#include "mainwnd/typetree.h"
#include "platform/cp1251.h"
#include "platform/treectrl.h"

#include <string>

namespace {

void AppendNumber(std::string& strOut, std::int64_t n) {
    strOut += std::to_string(n);
}

// One element per write: a million of them cost one reused buffer, not a
// JSON value each.
void DumpTree(CDatabaseFiles& files, std::ostream& out) {
    CTreeCtrl ctlTree;
    const std::int32_t nNoPosition = -1;
    CTypeTree typeTree(ctlTree, files, &nNoPosition);
    typeTree.Build();
    std::string strItem;
    std::int32_t nPosition = 0;
    for (HTREEITEM h = ctlTree.GetRootItem(); h; h = typeTree.GetNextTreeItem(h), ++nPosition) {
        // The build inserts a prefix of the file in record order, so the
        // record at an item's position is the one that made it.
        unsigned char bytes[TreeRecord::kSize];
        files.m_fileTree.ReadRecord(nPosition, bytes);
        const TreeRecord rec = TreeRecord::FromBytes(bytes);
        strItem = nPosition ? ",\n    " : "\n    ";
        strItem += "{\"position\":";
        AppendNumber(strItem, nPosition);
        strItem += ",\"parent\":";
        AppendNumber(strItem, rec.parent);
        strItem += ",\"item\":";
        AppendNumber(strItem, ctlTree.GetItemData(h));
        strItem += ",\"caption\":";
        AppendJsonString(strItem, cp1251::ToUtf8(ctlTree.GetItemText(h)));
        strItem += '}';
        out.write(strItem.data(), static_cast<std::streamsize>(strItem.size()));
    }
}

void DumpTypes(CDatabaseFiles& files, std::ostream& out) {
    if (!files.m_fileAircraft.IsOpen())
        return;
    CAircraftText text(&files);
    std::string strType;
    const std::int64_t nRecords = files.m_fileAircraft.GetRecordCount();
    for (std::int64_t n = 0; n < nRecords && n <= INT32_MAX; ++n) {
        if (!text.Load(static_cast<std::int32_t>(n)))
            break;
        const AircraftRecord& rec = text.m_record;
        strType = n ? ",\n    " : "\n    ";
        strType += "{\"record\":";
        AppendNumber(strType, n);
        strType += ",\"slots\":[";
        for (std::size_t i = 0; i < text.m_texts.size(); ++i) {
            if (i)
                strType += ',';
            AppendJsonString(strType, cp1251::ToUtf8(text.m_texts[i]));
        }
        strType += "],\"pictureCount\":";
        AppendNumber(strType, rec.pictureCount);
        strType += ",\"previewOffset\":";
        AppendNumber(strType, rec.previewOffset);
        strType += ",\"firstStrip\":";
        AppendNumber(strType, rec.firstStrip);
        strType += ",\"stripCount\":";
        AppendNumber(strType, rec.stripCount);
        strType += ",\"strips\":[";
        bool bFirst = true;
        for (const StripRecord& row : ReadStripRows(files.m_fileStrips, rec)) {
            strType += bFirst ? "[" : ",[";
            bFirst = false;
            for (int i = 0; i < 3; ++i) {
                if (i)
                    strType += ',';
                AppendNumber(strType, row.values[i]);
            }
            strType += ']';
        }
        strType += "]}";
        out.write(strType.data(), static_cast<std::streamsize>(strType.size()));
    }
}

} // namespace

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
    out << "{\n  \"tree\": [";
    DumpTree(files, out);
    out << "\n  ],\n  \"types\": [";
    DumpTypes(files, out);
    out << "\n  ]\n}\n";
}
