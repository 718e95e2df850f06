#include "viewer/guidb.h"

#include "platform/cp1251.h"
#include "support/dbwriter.h"
#include "support/templates.h"

#include <cstdio>

std::string W(const std::string& strUtf8) {
    return cp1251::FromUtf8(strUtf8).value();
}

void WriteGuiDatabase(const CTempDir& dir, const std::string& strLeaveOut) {
    CDbWriter db;
    db.AddString("");
    const struct {
        int nParent, nItem;
        const char* pszCaption;
    } tree[] = {{-1, -1, "Самолёты"}, {0, 0, "Ту-154"},     {0, 1, "Ил-62"},  {0, 1, "Як-42"},
                {0, -1, "Вертолёты"}, {4, 3, "Ми-24"},      {5, 0, "Ми-24В"}, {4, 2, "Ми-8"},
                {-1, -1, "Планеры"},  {8, 1, "Бланик L-13"}};
    for (const auto& t : tree)
        db.AddTreeNamed(t.nParent, t.nItem, W(t.pszCaption));
    AircraftRecord rec0{};
    rec0.firm = db.AddString(W("ОКБ Туполева"));
    rec0.country = db.AddString(W("СССР"));
    rec0.year = 1968;
    rec0.value16 = 975;
    rec0.pictureCount = 4;
    db.AddAircraft(rec0);
    AircraftRecord rec1{};
    rec1.firm = db.AddString(W("ОКБ Ильюшина"));
    db.AddAircraft(rec1);
    AircraftRecord rec2{};
    rec2.firm = db.AddString(W("ОКБ Миля"));
    rec2.pictureCount = -3;
    db.AddAircraft(rec2);
    AircraftRecord rec3{};
    rec3.firm = db.AddString(W("ОКБ Миля"));
    rec3.pictureCount = 1;
    db.AddAircraft(rec3);
    db.Write(dir.Path());
    dir.WriteFile("Static texts.rtf", CardTemplateRtf());
    if (!strLeaveOut.empty())
        std::remove(dir.File(strLeaveOut).c_str());
}
