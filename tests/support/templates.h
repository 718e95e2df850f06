#pragma once

#include <string>

// Caption templates as a word processor writes them (cp1251 escapes, a font
// table with \fcharset204), with the captions the card and the additional
// data dialog fill.
std::string CardTemplateRtf();
std::string ExtraTemplateRtf();
// Any cp1251 text as a minimal RTF document: each "\r\n" a paragraph end.
std::string PlainRtf(const std::string& strCp1251);
