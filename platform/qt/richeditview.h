#pragma once

#include "platform/richeditctrl.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextEdit>

// The window of a rich edit control: shows the control's document with its
// character formats (faces by name through fontconfig, sizes from twips,
// bold, italic, underline, strike-out, colours) and paragraph formats as
// rich edit 1.0 shows them (alignment, indents, tab stops; a tab past the
// last stop goes to the next multiple of the document's default tab), twips
// made pixels at the view's resolution. Qt never edits the text itself;
// typing goes to the control, which refuses it while read-only. Changes of
// the control reach the view through m_onChanged and are drawn once per
// burst of changes, when the event loop next runs (Refresh draws at once).
class CRichEditView : public QTextEdit {
public:
    explicit CRichEditView(CRichEditCtrl& ctlEdit, QWidget* pParent = nullptr);
    ~CRichEditView() override;

    CRichEditCtrl& GetRichEditCtrl() { return m_ctlEdit; }
    // EM_SETREADONLY.
    void SetReadOnly(bool bReadOnly);
    // Rebuilds the shown text from the control's document now.
    void Refresh();
    bool IsRefreshPending() const { return m_bRefreshPending; }

    // The Qt form of a character format; an automatic colour becomes the
    // palette's text colour, a format without a face the given default family.
    static QTextCharFormat ToQtFormat(const CCharFormat& cf, const QPalette& palette,
                                      const QString& strDefaultFamily);
    // The Qt form of a paragraph format: alignment, indents in pixels for a
    // device of dDpiX dots per inch (tab stops are in Qt's 96-dpi units,
    // which Qt scales itself). Indents that would start a line left of the
    // text are taken as 0; space before and after is not shown.
    static QTextBlockFormat ToQtBlockFormat(const CParaFormat& pf, double dDpiX);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void ScheduleRefresh();

    CRichEditCtrl& m_ctlEdit;
    bool m_bRefreshPending = false;
};
