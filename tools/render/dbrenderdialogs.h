#pragma once

#include <QImage>
#include <string>

class CMainDialog;

// `verlumo-db render --extra` and `--search TEXT`: a dialog drawn open over
// the main window, centred on it as a modal dialog opens, with a one-pixel
// frame; where the dialog reaches past the main window the picture grows
// and stays transparent. dlgMain must be created (CMainDialog::Create) and
// show its card already.

// The additional data dialog as button 1007 opens it on the shown card.
// A null image when the dialog cannot open there: no type with a record is
// shown, so button 1007 is disabled. Template warnings go to the
// application's message sink.
QImage RenderExtraDataDialog(CMainDialog& dlgMain);

// The search dialog as "Поиск по основным данным" opens it when the last
// search was strSearch (UTF-8; characters code page 1251 lacks show as "?").
// Nothing is searched and the main dialog's m_strSearch stays as it was.
QImage RenderSearchDialog(CMainDialog& dlgMain, const std::string& strSearch);
