#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CDatabaseFiles;

struct ExtraPaneText {
    int nControl;        // 1008, 1001, 1003
    std::string strText; // cp1251, line ends "\r\n"
};

struct ExtraDataPanes {
    std::vector<ExtraPaneText> panes; // 1008, 1001, 1003, as the dialog lays them out
    std::string strWarning;           // cp1251; empty when the template was whole
};

// What the additional data dialog shows for type record nRecord (the item
// data of a type, 0 or more): the record loaded as the card loads it, the
// panes filled from a fresh load of DIR's "Static texts add.rtf". Throws
// std::invalid_argument for a group (negative nRecord), where the dialog
// cannot open, and CFileException when a data file fails to read.
ExtraDataPanes ReadExtraDataPanes(CDatabaseFiles& files, const std::string& strDir,
                                  std::int32_t nRecord);

// {"panes":[{"control":1008,"text":"…"},…]} with the texts in UTF-8.
std::string ExtraDataPanesJson(const ExtraDataPanes& panes);
