#pragma once

#include "platform/fileerrorreport.h"
#include "platform/richeditctrl.h"

#include <QDialog>
#include <string>

class CAircraftText;
class CDatabaseFiles;
class CRichEditView;
class QPushButton;

// The additional data dialog (template 129): the shown type's strip table
// and two panes of further characteristics, behind the captions of
// "Static texts add.rtf", all read-only. "Выход" or Esc closes it; it
// changes nothing. The controls' ids are their object names.
class CExtraDataDialog : public QDialog {
public:
    enum {
        IDD = 129,
        IDOK = 1,
        IDC_SPEEDS = 1001,
        IDC_SPECS = 1003,
        IDC_STRIPS = 1008,
    };

    // card: the main dialog's m_Card, which must outlive the dialog. app:
    // where "FlightStrips.dat" is read. strDir: where the template is, ""
    // for the current directory.
    CExtraDataDialog(const CAircraftText& card, CDatabaseFiles& app, const std::string& strDir = "",
                     QWidget* pParent = nullptr);
    ~CExtraDataDialog() override;

    QWidget* GetDlgItem(int nID) const;
    CRichEditView* GetPaneView(int nID) const;

    // Every opening fills the panes anew from the template, as a dialog
    // window that is created for each run does.
    void setVisible(bool bVisible) override;

    CRichEditCtrl m_ctlStrips; // 1008
    CRichEditCtrl m_ctlSpeeds; // 1001
    CRichEditCtrl m_ctlSpecs;  // 1003
    const CAircraftText* m_pCard;
    CDatabaseFiles* m_pApp;
    std::string m_strDir;
    // The application's messages (title and sink) for the warning about a
    // missing or broken template; null: a box titled with Qt's application name.
    CFileErrorReport* m_pMessages = nullptr;

protected:
    virtual bool OnInitDialog();

private:
    void CreateControls();

    CRichEditView* m_pStripsView = nullptr;
    CRichEditView* m_pSpeedsView = nullptr;
    CRichEditView* m_pSpecsView = nullptr;
    QPushButton* m_pOkButton = nullptr;
};
