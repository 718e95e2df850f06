#pragma once

#include "platform/richtextdocument.h"

#include <cstddef>
#include <string_view>

// Groups nested deeper than this are skipped whole, with everything in them.
inline constexpr std::size_t kMaxRtfGroupDepth = 256;
// Font and colour table entries beyond these are ignored.
inline constexpr std::size_t kMaxRtfFonts = 1024;
inline constexpr std::size_t kMaxRtfColors = 1024;

// True when the bytes start (after an optional UTF-8 byte order mark and
// white space) with "{\rtf", the way a rich edit control tells RTF from text.
bool IsRtf(std::string_view bytes);

// Reads Rich Text Format as word processors write it into cp1251 text with
// character formats. Every line end (\par, \line, \row) is "\r\n", and the
// document's final paragraph mark is not part of the text. Characters that
// cp1251 lacks become '?'. Heights are twips; a run without \fs is 12 point
// (240), RTF's default.
//
// Paragraphs keep what a rich edit 1.0 control shows of their formatting:
// alignment, indents, space before and after, and the tab stops (every kind
// taken as a left stop), with the document's \deftab. Each paragraph takes
// the properties in force at the mark that closes it; \pard resets them,
// and groups restore them like character properties.
//
// Input that is not RTF (see IsRtf) is read as plain text, as the control
// does with a stream that lacks the header. Broken RTF gives the text read up
// to the point where it breaks; nothing after the document's closing brace is
// read. Time and memory are linear in the input; the text is never longer
// than the input (plain text: twice the input, for lone line feeds).
CRichTextDocument ReadRtf(std::string_view bytes);

// cp1251 bytes as they are, with CR LF, lone CR and lone LF all made "\r\n"
// and control characters other than TAB dropped. Every character has
// CRichTextDocument::PlainCharFormat(); the last line end, if any, stays.
CRichTextDocument ReadPlainText(std::string_view bytes);
