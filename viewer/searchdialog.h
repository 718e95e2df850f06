#pragma once

#include "data/aircrafttext.h"
#include "platform/fileerrorreport.h"

#include <QDialog>
#include <cstdint>
#include <string>

class CTreeView;
class CTypeTree;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The search dialog (template 130). "Найти" stores the text as typed in the
// main dialog's m_strSearch, looks for the next type whose firm, country,
// model, type or name holds it, selects the hit in the tree (or says
// "Строка не найдена") and closes; "Отменить поиск" and Esc close and
// change nothing. The controls' ids are their object names ("1012", ...,
// "1" for "Найти", "2" for "Отменить поиск").
class CSearchDialog : public QDialog {
public:
    enum {
        IDD = 130,
        IDOK = 1,
        IDCANCEL = 2,
        IDC_FIND = 1012,
        IDC_FROM_CURRENT = 1013,
        IDC_FROM_START = 1014,
        IDC_WHOLE_WORD = 1015,
    };
    static constexpr const char* kNotFound = "Строка не найдена";

    // tree: the main dialog's tree, searched from its caret item. strSearch:
    // the main dialog's m_strSearch (cp1251), which the dialog opens with and
    // "Найти" writes back. Both must outlive the dialog.
    CSearchDialog(CTypeTree& tree, std::string& strSearch, QWidget* pParent = nullptr);

    // The main dialog's OnSearch: one modal run of the dialog, with
    // m_pMessages and m_pTreeView set to the last two arguments.
    static int RunSearch(QWidget* pParent, CTypeTree& tree, std::string& strSearch,
                         CFileErrorReport* pMessages = nullptr, CTreeView* pTreeView = nullptr);

    QWidget* GetDlgItem(int nID) const;
    // DDX: false shows the members in the controls, true reads them back.
    void UpdateData(bool bSaveAndValidate);

    // The edit's text in code page 1251; a character the code page lacks
    // becomes "?", as an ANSI edit control gives it.
    static std::string ToCodePage(const QString& str);

    // Every opening initialises the dialog anew, as a dialog window that is
    // created for each run does.
    void setVisible(bool bVisible) override;
    // "Найти" and Enter.
    void accept() override;

    std::string m_strFind; // edit 1012, cp1251
    // Radio group 1013/1014: kStartFromCurrent or kStartFromBeginning.
    std::int32_t m_nStartFrom = -1;
    std::int32_t m_bWholeWord = 0; // check box 1015
    // With m_pStrSearch, what the dialog uses of the main dialog.
    CTypeTree* m_pTree;
    std::string* m_pStrSearch;
    CAircraftText m_Match; // each candidate; the main dialog's card stays untouched
    // The window of m_pTree's tree, if any: a hit is selected through it, so
    // that it comes into view even when it was the selected item already.
    CTreeView* m_pTreeView = nullptr;
    // The application's messages (title and sink) for "Строка не найдена";
    // null: a box titled with Qt's application name.
    CFileErrorReport* m_pMessages = nullptr;

protected:
    virtual bool OnInitDialog();
    virtual void OnOK();

private:
    void CreateControls();

    QLineEdit* m_pFindEdit = nullptr;
    QRadioButton* m_pFromCurrent = nullptr;
    QRadioButton* m_pFromStart = nullptr;
    QCheckBox* m_pWholeWord = nullptr;
    QPushButton* m_pOkButton = nullptr;
    QPushButton* m_pCancelButton = nullptr;
};
