#pragma once

#include <string>

class CRichEditCtrl;

// Which section of the caption template a card pane keeps.
enum class ECardPane {
    general, // from the start of the text to "ТТХ": control 1000
    specs,   // from "ТТХ" to "Скорости": control 1003
    speeds,  // from "Скорости" to the end: control 1001
    other,   // no cut
};

// Where "ТТХ" and "Скорости" first stand in the pane's text, in either letter
// case (-1 where one is missing). Both templates are cut by these positions.
struct CTemplateMarkers {
    long nSpecs;
    long nSpeeds;
};
CTemplateMarkers FindTemplateMarkers(const CRichEditCtrl& ctl);

// Streams the whole template file into the pane (through StreamInCallback),
// replacing what it held. False when the file cannot be opened: the pane is
// then emptied, since no caption of it would match what is written next.
bool StreamInTemplate(CRichEditCtrl& ctl, const std::string& strFileName);

// Where the two sections after the first one begin in the pane's text. A
// marker that is not there counts as the end of the text, and a "Скорости"
// before "ТТХ" as the place of "ТТХ", so the three sections always tile the
// text in order: [0, nSpecs), [nSpecs, nSpeeds), [nSpeeds, end).
struct CStaticTextSections {
    long nSpecs;
    long nSpeeds;
};
CStaticTextSections FindStaticTextSections(const CRichEditCtrl& ctl);

// Deletes everything but the pane's section, by the positions the pane's own
// find reports, so formats stay as the template gave them.
void CutStaticText(CRichEditCtrl& ctl, ECardPane ePane);

// StreamInTemplate, then keeps the pane's section and makes the pane
// read-only. False when the file cannot be opened: the pane is then empty
// (and read-only).
bool LoadStaticText(CRichEditCtrl& ctl, ECardPane ePane, const std::string& strFileName);
