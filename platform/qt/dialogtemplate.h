#pragma once

#include "platform/fileerrorreport.h"

#include <QCoreApplication>
#include <QFont>
#include <QMessageBox>
#include <QRect>
#include <QString>
#include <QWidget>
#include <string>

// What the dialogs built from a dialog template share: controls placed in
// dialog units of the template's font, "MS Sans Serif" 8, whose base units
// are 6 x 13 pixels, and the application's warning box.
namespace dialogtemplate {

inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 13;

// MulDiv: the product over the divisor, rounded half away from zero.
constexpr int MulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c));
}

// A template rectangle (x, y, width, height in dialog units) in pixels.
inline QRect MapDialogRect(int x, int y, int cx, int cy) {
    return {MulDiv(x, kBaseUnitX, 4), MulDiv(y, kBaseUnitY, 8), MulDiv(cx, kBaseUnitX, 4),
            MulDiv(cy, kBaseUnitY, 8)};
}

// A control's object name is its id, so tests and the dialogs find controls
// by the ids of the template.
inline QString Id(int nID) {
    return QString::number(nID);
}

// The dialog's control with that id; null when there is none.
inline QWidget* GetDlgItem(const QWidget& dlg, int nID) {
    return dlg.findChild<QWidget*>(Id(nID), Qt::FindDirectChildrenOnly);
}

// Liberation Sans has Arial's widths, close enough to MS Sans Serif that
// every caption fits the control the template gives it.
inline QFont DialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

// The application's standard message box: the exclamation icon, one OK
// button and the application's name as the title, which the application's
// report carries (without one, Qt's application name). The report's sink,
// when set, takes the box instead (title and text UTF-8), so offscreen runs
// and tests are not held up by a box that nobody closes.
inline void MessageBoxWarning(const CFileErrorReport* pMessages, QWidget* pParent,
                              const std::string& strTextUtf8) {
    const QString strTitle = pMessages ? QString::fromStdString(pMessages->m_strTitle)
                                       : QCoreApplication::applicationName();
    if (pMessages && pMessages->m_sink) {
        pMessages->m_sink(strTitle.toStdString(), strTextUtf8);
        return;
    }
    QMessageBox::warning(pParent, strTitle, QString::fromStdString(strTextUtf8));
}

} // namespace dialogtemplate
