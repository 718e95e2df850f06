#pragma once

#include "platform/richtextdocument.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CFile;

// Stream formats of StreamIn.
inline constexpr int SF_TEXT = 0x0001;
inline constexpr int SF_RTF = 0x0002;

// The read callback of a stream-in: it puts at most cb bytes into pbBuff and
// their number into *pcb. Delivering 0 bytes ends the stream; so does a
// non-zero result, which StreamIn leaves in the stream's m_dwError.
using EDITSTREAMCALLBACK = std::uint32_t (*)(std::uintptr_t dwCookie, std::uint8_t* pbBuff,
                                             std::int32_t cb, std::int32_t* pcb);

struct EDITSTREAM {
    std::uintptr_t m_dwCookie = 0;
    std::uint32_t m_dwError = 0;
    EDITSTREAMCALLBACK m_pfnCallback = nullptr;
};

// The callback for a template file: the cookie is the address of an open
// CFile. Hands out the smaller of cb and the bytes between the file's
// position and its end, and returns 0. A file that cannot be read delivers
// nothing and returns the CFileException cause.
std::uint32_t StreamInCallback(std::uintptr_t dwCookie, std::uint8_t* pbBuff, std::int32_t cb,
                               std::int32_t* pcb);

// A rich edit control without a window: one document, a selection and a
// read-only flag. Positions count bytes of the cp1251 text, a line end being
// the two characters "\r\n"; searches, selections and lengths count alike.
// Any position is accepted: negative or too large values are clamped as each
// operation says, so no call fails on bad positions.
class CRichEditCtrl {
public:
    // What one callback call may deliver, and the most a stream may bring in:
    // a template is a few kilobytes, a runaway stream stops here.
    static constexpr std::int32_t kStreamChunk = 4096;
    static constexpr std::size_t kMaxStreamBytes = 16u << 20;
    // A template holds a few pages of captions (the sample's are a few KiB).
    // The bound is set by layout time, not memory: the view lays out a pane
    // whole, and 1 MiB of short caption lines (150,000 of them) took 1.4 s of
    // CPU to show one card; 256 KiB keeps it near a third of a second.
    static constexpr std::size_t kMaxFileBytes = 256u << 10;

    // Replaces the whole content with the document the callback delivers, as
    // SF_RTF (RTF, or plain text when the bytes are not RTF; see ReadRtf) or
    // SF_TEXT. Calls the callback until it delivers 0 bytes or fails; what
    // came before a failure is kept. The caret goes to 0. Returns the number
    // of bytes read.
    long StreamIn(int nFormat, EDITSTREAM& es);
    long StreamIn(std::string_view strRtf);
    // StreamIn(SF_RTF) through StreamInCallback from the file's position on,
    // reading at most kMaxFileBytes; the rest of a longer file is never read.
    long StreamInFile(CFile& file);

    // The start of the first occurrence of str that lies within [nStart,
    // nEnd), letters compared without case (cp1251 CharUpper), no word test;
    // -1 when there is none or str is empty. nEnd -1 (any negative) means the
    // end of the text; a negative nStart means 0. *pnMatchEnd receives the
    // position behind the occurrence (-1 when none).
    long FindText(long nStart, long nEnd, std::string_view str, long* pnMatchEnd = nullptr) const;

    // Selects [nStart, nEnd). nEnd -1 (any negative) means the end of the
    // text; a negative nStart selects nothing and puts the caret at the end
    // position, as EM_SETSEL's deselect. Values past the end mean the end; a
    // start behind the end is swapped with it.
    void SetSel(long nStart, long nEnd);
    void GetSel(long& nStart, long& nEnd) const;

    // Deletes the selection (WM_CLEAR); the caret stays at its start.
    // Paragraphs joined by it keep the first one's format.
    void Clear();
    // Replaces the selection with str, which takes the format at the caret:
    // that of the first selected character when something is selected, else
    // that of the character before the caret, or of the first character when
    // the caret is at 0 (the end format in an empty document). The caret ends
    // behind the inserted text. Line ends in str split the paragraph at the
    // caret, every part keeping its format. Not recorded for undo (there is
    // no undo).
    void ReplaceSel(std::string_view str);
    // The user's typing: as ReplaceSel, but refused (false) while read-only.
    bool TypeText(std::string_view str);
    // Changes the attributes that cf's mask names on the selected characters.
    // false, changing nothing, when the selection is empty.
    bool SetSelectionCharFormat(const CCharFormat& cf);

    long GetTextLength() const { return static_cast<long>(m_doc.GetLength()); }
    const std::string& GetText() const { return m_doc.GetText(); }
    const CRichTextDocument& GetDocument() const { return m_doc; }

    // Read-only refuses only the user's typing; the program's own calls work
    // in any case, as they do on a read-only rich edit.
    void SetReadOnly(bool bReadOnly = true) { m_bReadOnly = bReadOnly; }
    bool IsReadOnly() const { return m_bReadOnly; }

    // Runs after every change of the text or the formats, for a view.
    std::function<void()> m_onChanged;

private:
    long StreamIn(int nFormat, EDITSTREAM& es, std::size_t nMaxBytes);
    std::size_t ClampPosition(long nPos) const;
    void Changed();

    CRichTextDocument m_doc;
    std::size_t m_nSelStart = 0;
    std::size_t m_nSelEnd = 0;
    bool m_bReadOnly = false;
};
