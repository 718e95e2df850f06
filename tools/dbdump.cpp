#include "tools/dbdump.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/striprecord.h"
#include "data/treerecord.h"
#include "mainwnd/typetree.h"
#include "platform/cp1251.h"
#include "platform/treectrl.h"

#include <nlohmann/json.hpp>

using json = nlohmann::ordered_json;

namespace {

void DumpTree(CDatabaseFiles& files, std::ostream& out) {
    CTreeCtrl ctlTree;
    const std::int32_t nNoPosition = -1;
    CTypeTree typeTree(ctlTree, files, &nNoPosition);
    typeTree.Build();
    std::int32_t nPosition = 0;
    for (HTREEITEM h = ctlTree.GetRootItem(); h; h = typeTree.GetNextTreeItem(h), ++nPosition) {
        // The build inserts a prefix of the file in record order, so the
        // record at an item's position is the one that made it.
        unsigned char bytes[TreeRecord::kSize];
        files.m_fileTree.ReadRecord(nPosition, bytes);
        const TreeRecord rec = TreeRecord::FromBytes(bytes);
        const json item{{"position", nPosition},
                        {"parent", rec.parent},
                        {"item", ctlTree.GetItemData(h)},
                        {"caption", cp1251::ToUtf8(ctlTree.GetItemText(h))}};
        out << (nPosition ? ",\n    " : "\n    ") << item.dump();
    }
}

void DumpTypes(CDatabaseFiles& files, std::ostream& out) {
    if (!files.m_fileAircraft.IsOpen())
        return;
    CAircraftText text(&files);
    const std::int64_t nRecords = files.m_fileAircraft.GetRecordCount();
    for (std::int64_t n = 0; n < nRecords && n <= INT32_MAX; ++n) {
        if (!text.Load(static_cast<std::int32_t>(n)))
            break;
        json slots = json::array();
        for (const std::string& s : text.m_texts)
            slots.push_back(cp1251::ToUtf8(s));
        json strips = json::array();
        for (const StripRecord& row : ReadStripRows(files.m_fileStrips, text.m_record))
            strips.push_back({row.values[0], row.values[1], row.values[2]});
        const AircraftRecord& rec = text.m_record;
        const json type{{"record", n},
                        {"slots", std::move(slots)},
                        {"pictureCount", rec.pictureCount},
                        {"previewOffset", rec.previewOffset},
                        {"firstStrip", rec.firstStrip},
                        {"stripCount", rec.stripCount},
                        {"strips", std::move(strips)}};
        out << (n ? ",\n    " : "\n    ") << type.dump();
    }
}

} // namespace

void DumpDatabase(CDatabaseFiles& files, std::ostream& out) {
    out << "{\n  \"tree\": [";
    DumpTree(files, out);
    out << "\n  ],\n  \"types\": [";
    DumpTypes(files, out);
    out << "\n  ]\n}\n";
}
