#include "platform/qt/richeditview.h"

#include "platform/cp1251.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QTimer>

#include <algorithm>

namespace {

constexpr double kTwipsPerInch = 1440.0;
// Qt takes tab positions in pixels at 96 dots per inch and scales them to
// the device itself: in those units a twip is 96/1440 pixel.
constexpr double kQtTabUnitsPerTwip = 96.0 / kTwipsPerInch;

} // namespace

CRichEditView::CRichEditView(CRichEditCtrl& ctlEdit, QWidget* pParent)
    : QTextEdit(pParent), m_ctlEdit(ctlEdit) {
    // The text lives in the control; Qt only draws it and lets the user
    // select and copy.
    QTextEdit::setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    document()->setDocumentMargin(2);
    m_ctlEdit.m_onChanged = [this] { ScheduleRefresh(); };
    Refresh();
}

CRichEditView::~CRichEditView() {
    m_ctlEdit.m_onChanged = nullptr;
}

void CRichEditView::SetReadOnly(bool bReadOnly) {
    m_ctlEdit.SetReadOnly(bReadOnly);
}

void CRichEditView::ScheduleRefresh() {
    if (m_bRefreshPending)
        return;
    m_bRefreshPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_bRefreshPending)
            Refresh();
    });
}

QTextCharFormat CRichEditView::ToQtFormat(const CCharFormat& cf, const QPalette& palette,
                                          const QString& strDefaultFamily) {
    QTextCharFormat fmt;
    const QString strFace = QString::fromUtf8(cp1251::ToUtf8(cf.m_strFaceName));
    fmt.setFontFamilies({strFace.isEmpty() ? strDefaultFamily : strFace});
    if (cf.m_nHeight > 0)
        fmt.setFontPointSize(cf.m_nHeight / 20.0);
    fmt.setFontWeight(cf.IsBold() ? QFont::Bold : QFont::Normal);
    fmt.setFontItalic(cf.IsItalic());
    fmt.setFontUnderline(cf.IsUnderline());
    fmt.setFontStrikeOut(cf.IsStrikeOut());
    if (cf.IsAutoColor()) {
        fmt.setForeground(palette.color(QPalette::Text));
    } else {
        const COLORREF cr = cf.m_crTextColor;
        fmt.setForeground(QColor(static_cast<int>(cr & 0xFF), static_cast<int>((cr >> 8) & 0xFF),
                                 static_cast<int>((cr >> 16) & 0xFF)));
    }
    return fmt;
}

QTextBlockFormat CRichEditView::ToQtBlockFormat(const CParaFormat& pf, double dDpiX) {
    const double dPerTwipX = dDpiX / kTwipsPerInch;
    QTextBlockFormat fmt;
    switch (pf.m_nAlignment) {
    case PFA_RIGHT:
        fmt.setAlignment(Qt::AlignRight);
        break;
    case PFA_CENTER:
        fmt.setAlignment(Qt::AlignHCenter);
        break;
    case PFA_JUSTIFY:
        fmt.setAlignment(Qt::AlignJustify);
        break;
    default:
        fmt.setAlignment(Qt::AlignLeft);
        break;
    }
    // The control starts no line left of its text area.
    const std::int32_t nLeft = std::max<std::int32_t>(pf.m_nLeftIndent, 0);
    const std::int32_t nFirst = std::max<std::int32_t>(pf.m_nLeftIndent + pf.m_nFirstLineIndent, 0);
    fmt.setLeftMargin(nLeft * dPerTwipX);
    fmt.setTextIndent((nFirst - nLeft) * dPerTwipX);
    fmt.setRightMargin(std::max<std::int32_t>(pf.m_nRightIndent, 0) * dPerTwipX);
    // No space before or after: rich edit 1.0 has none (PARAFORMAT lacks
    // it), and the panes are sized for lines without it.
    QList<QTextOption::Tab> tabs;
    for (std::size_t i = 0; i < std::min(pf.m_nTabs, kMaxTabStops); ++i)
        tabs.append(QTextOption::Tab(pf.m_rgxTabs[i] * kQtTabUnitsPerTwip, QTextOption::LeftTab));
    fmt.setTabPositions(tabs);
    return fmt;
}

void CRichEditView::Refresh() {
    m_bRefreshPending = false;
    const int nScrollX = horizontalScrollBar()->value();
    const int nScrollY = verticalScrollBar()->value();
    const CRichTextDocument& doc = m_ctlEdit.GetDocument();
    const std::string& strText = doc.GetText();
    const QPalette pal = palette();
    const QString strFamily = font().family();

    const double dDpiX = logicalDpiX();

    QTextDocument* pDoc = document();
    pDoc->clear();
    QTextOption option = pDoc->defaultTextOption();
    option.setTabStopDistance(doc.GetDefaultTab() * kQtTabUnitsPerTwip);
    pDoc->setDefaultTextOption(option);
    QTextCursor cursor(pDoc);
    cursor.beginEditBlock();
    std::size_t nParagraph = 0;
    cursor.setBlockFormat(ToQtBlockFormat(doc.GetParaFormat(0), dDpiX));
    // An empty document, and the last paragraph, type in the end format.
    const QTextCharFormat fmtEnd = ToQtFormat(doc.GetEndFormat(), pal, strFamily);
    cursor.setBlockCharFormat(fmtEnd);
    const std::vector<CRichTextDocument::CRun>& runs = doc.GetRuns();
    std::size_t iRun = 0;
    std::size_t nRunEnd = runs.empty() ? 0 : runs[0].m_nLength;
    std::size_t nPos = 0;
    while (nPos < strText.size() && iRun < runs.size()) {
        const QTextCharFormat fmt = ToQtFormat(doc.GetFormat(runs[iRun].m_nFormat), pal, strFamily);
        std::size_t nEnd = nPos;
        while (nEnd < nRunEnd && strText[nEnd] != '\r' && strText[nEnd] != '\n')
            ++nEnd;
        if (nEnd > nPos)
            cursor.insertText(QString::fromUtf8(cp1251::ToUtf8(
                                  std::string_view(strText).substr(nPos, nEnd - nPos))),
                              fmt);
        nPos = nEnd;
        if (nPos < nRunEnd) {
            // "\r\n" ends the paragraph (its LF may open the next run); a lone
            // CR or LF, which only a value can bring, breaks the line.
            if (strText[nPos] == '\r' && nPos + 1 < strText.size() && strText[nPos + 1] == '\n') {
                cursor.insertBlock(ToQtBlockFormat(doc.GetParaFormat(++nParagraph), dDpiX), fmt);
                nPos += 2;
            } else {
                cursor.insertText(QString(QChar::LineSeparator), fmt);
                ++nPos;
            }
        }
        while (nPos >= nRunEnd && ++iRun < runs.size())
            nRunEnd += runs[iRun].m_nLength;
    }
    cursor.setBlockCharFormat(fmtEnd);
    cursor.endEditBlock();
    // The view's own cursor was carried along to the end of the new text; a
    // pane shown for the first time would scroll there, away from its start.
    QTextCursor caret = textCursor();
    caret.setPosition(0);
    setTextCursor(caret);
    horizontalScrollBar()->setValue(nScrollX);
    verticalScrollBar()->setValue(nScrollY);
}

void CRichEditView::keyPressEvent(QKeyEvent* pEvent) {
    const QString strText = pEvent->text();
    const bool bPrintable = !strText.isEmpty() && strText.at(0).isPrint() &&
                            !(pEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (bPrintable && !m_ctlEdit.IsReadOnly()) {
        if (const auto strCp = cp1251::FromUtf8(strText.toUtf8().toStdString()))
            m_ctlEdit.TypeText(*strCp);
        return;
    }
    QTextEdit::keyPressEvent(pEvent);
}
