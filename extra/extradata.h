#pragma once

#include "data/striprecord.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

class CAircraftText;
class CDatabaseFiles;
class CRichEditCtrl;

// The additional data dialog's three panes, by control id.
enum class EExtraPane { strips = 1008, speeds = 1001, specs = 1003 };

// Slots written behind the captions, in order.
inline constexpr std::array<int, 6> kExtraSpeedsSlots = {17, 24, 25, 20, 27, 26};
inline constexpr std::array<int, 9> kExtraSpecsSlots = {32, 33, 34, 10, 35, 28, 29, 30, 31};

// What loading the template found wrong; the panes show what they can anyway.
enum class ETemplateProblem { none, cannotOpen, noSpeeds, noSpecs, noMarkers, specsFirst };

// Streams the template at strPath into the pane (replacing its content; an
// unopenable file leaves it empty) and cuts it to the pane's section: the
// strips pane keeps the text before "Скорости", the speeds pane the text
// from "Скорости" up to "ТТХ", the specs pane the text from "ТТХ" on. A
// missing marker stands at the end of the text, and a "ТТХ" before
// "Скорости" is taken at the position of "Скорости".
ETemplateProblem LoadExtraTemplate(CRichEditCtrl& ctl, EExtraPane pane, const std::string& strPath);

// Writes one line per row before the line end that closes the strips pane's
// section (at the end when the text does not end with one): "\r\n" and the
// three values by the count rule, separated by tabs, all in the value format.
void WriteStripTable(CRichEditCtrl& ctl, const std::vector<StripRecord>& rows);

// Writes " " and the value behind the first colon at or after nStart, in the
// value format, removing nothing; returns the position behind the value.
// With no colon left nothing is written and nStart comes back.
long InsertAfterColon(CRichEditCtrl& ctl, long nStart, std::string_view strValue);

// FillExtraPanes in two steps, so one loading of the template serves many
// cards: the template into the three panes (the warning as below), then one
// card's strip table and values into them, the panes made read-only.
std::string LoadExtraTemplates(CRichEditCtrl& ctlStrips, CRichEditCtrl& ctlSpeeds,
                               CRichEditCtrl& ctlSpecs, const std::string& strTemplatePath);
void FillExtraValues(CRichEditCtrl& ctlStrips, CRichEditCtrl& ctlSpeeds, CRichEditCtrl& ctlSpecs,
                     const CAircraftText& card, CDatabaseFiles& app);

// The dialog's initialisation: loads the template into the three panes,
// writes the strip table of the card's record (rows from app's
// "FlightStrips.dat") and the values of the card's slots, and makes the
// panes read-only. Returns a warning naming the template file when it could
// not be opened or its markers are missing or out of order (cp1251, shown
// once per opening), else "".
std::string FillExtraPanes(CRichEditCtrl& ctlStrips, CRichEditCtrl& ctlSpeeds,
                           CRichEditCtrl& ctlSpecs, const CAircraftText& card, CDatabaseFiles& app,
                           const std::string& strTemplatePath);
