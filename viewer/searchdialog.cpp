#include "viewer/searchdialog.h"

#include "mainwnd/typetree.h"
#include "platform/cp1251.h"
#include "platform/qt/dialogtemplate.h"
#include "platform/qt/messageboundary.h"
#include "platform/qt/treeview.h"
#include "platform/qt/waitcursor.h"
#include "search/searchwalk.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

CSearchDialog::CSearchDialog(CTypeTree& tree, std::string& strSearch, QWidget* pParent)
    : QDialog(pParent), m_strFind(strSearch), m_pTree(&tree), m_pStrSearch(&strSearch),
      m_Match(&tree.m_app) {
    CreateControls();
}

int CSearchDialog::RunSearch(QWidget* pParent, CTypeTree& tree, std::string& strSearch,
                             CFileErrorReport* pMessages, CTreeView* pTreeView) {
    CSearchDialog dlg(tree, strSearch, pParent);
    dlg.m_pMessages = pMessages;
    dlg.m_pTreeView = pTreeView;
    return dlg.exec();
}

// Template 130.
void CSearchDialog::CreateControls() {
    using dialogtemplate::Id;
    using dialogtemplate::MapDialogRect;
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Поиск по полям: фирма, страна, модель, тип, имя"));
    setFont(dialogtemplate::DialogFont());
    setFixedSize(MapDialogRect(0, 0, 237, 92).size());

    auto place = [](QWidget* pWidget, int nID, QRect rc) {
        pWidget->setObjectName(Id(nID));
        pWidget->setGeometry(rc);
        pWidget->setFocusPolicy(Qt::StrongFocus);
    };

    auto* pLabel = new QLabel(QStringLiteral("Строка поиска:"), this);
    pLabel->setGeometry(MapDialogRect(7, 12, 53, 8));
    pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_pFindEdit = new QLineEdit(this);
    place(m_pFindEdit, IDC_FIND, MapDialogRect(61, 7, 169, 14));
    // The template sets no limit; QLineEdit's own would be 32767.
    m_pFindEdit->setMaxLength(std::numeric_limits<int>::max());

    // The frame comes before the buttons so that they lie above it.
    auto* pGroup = new QGroupBox(QStringLiteral("Начинать поиск"), this);
    pGroup->setGeometry(MapDialogRect(7, 25, 223, 25));
    pGroup->setFocusPolicy(Qt::NoFocus);

    // Siblings of the frame, not its children, as in the template; the two
    // are exclusive among themselves since they are the only radio buttons.
    m_pFromCurrent = new QRadioButton(QStringLiteral("от текущего элемента"), this);
    place(m_pFromCurrent, IDC_FROM_CURRENT, MapDialogRect(25, 36, 92, 10));
    m_pFromStart = new QRadioButton(QStringLiteral("от начала базы"), this);
    place(m_pFromStart, IDC_FROM_START, MapDialogRect(143, 36, 68, 10));

    m_pWholeWord = new QCheckBox(QStringLiteral("Только целое слово"), this);
    place(m_pWholeWord, IDC_WHOLE_WORD, MapDialogRect(76, 56, 85, 10));

    m_pOkButton = new QPushButton(QStringLiteral("Найти"), this);
    place(m_pOkButton, IDOK, MapDialogRect(43, 71, 50, 14));
    m_pOkButton->setDefault(true);
    m_pCancelButton = new QPushButton(QStringLiteral("Отменить поиск"), this);
    place(m_pCancelButton, IDCANCEL, MapDialogRect(118, 71, 75, 14));

    QWidget* tabOrder[] = {m_pFindEdit,  m_pFromCurrent, m_pFromStart,
                           m_pWholeWord, m_pOkButton,    m_pCancelButton};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(m_pOkButton, &QPushButton::clicked, this, [this] { accept(); });
    connect(m_pCancelButton, &QPushButton::clicked, this, [this] { reject(); });
}

QWidget* CSearchDialog::GetDlgItem(int nID) const {
    return dialogtemplate::GetDlgItem(*this, nID);
}

std::string CSearchDialog::ToCodePage(const QString& str) {
    if (auto strCp = cp1251::FromUtf8(str.toStdString()))
        return *strCp;
    std::string strOut;
    for (char32_t ch : str.toUcs4()) {
        const QString strChar = QString::fromUcs4(&ch, 1);
        strOut += cp1251::FromUtf8(strChar.toStdString()).value_or("?");
    }
    return strOut;
}

void CSearchDialog::UpdateData(bool bSaveAndValidate) {
    if (bSaveAndValidate) {
        m_strFind = ToCodePage(m_pFindEdit->text());
        m_nStartFrom = m_pFromCurrent->isChecked() ? kStartFromCurrent
                       : m_pFromStart->isChecked() ? kStartFromBeginning
                                                   : -1;
        m_bWholeWord = m_pWholeWord->isChecked() ? 1 : 0;
        return;
    }
    m_pFindEdit->setText(QString::fromStdString(cp1251::ToUtf8(m_strFind)));
    // Any other value checks neither button, as DDX_Radio leaves the group.
    m_pFromCurrent->setAutoExclusive(false);
    m_pFromStart->setAutoExclusive(false);
    m_pFromCurrent->setChecked(m_nStartFrom == kStartFromCurrent);
    m_pFromStart->setChecked(m_nStartFrom == kStartFromBeginning);
    m_pFromCurrent->setAutoExclusive(true);
    m_pFromStart->setAutoExclusive(true);
    m_pWholeWord->setChecked(m_bWholeWord != 0);
}

void CSearchDialog::setVisible(bool bVisible) {
    if (bVisible && !isVisible())
        OnInitDialog();
    QDialog::setVisible(bVisible);
}

bool CSearchDialog::OnInitDialog() {
    m_nStartFrom = kStartFromCurrent;
    m_bWholeWord = 1;
    UpdateData(false);
    // The first tab stop; the dialog manager selects an edit's whole text
    // when it gets the focus this way, so typing replaces the last search.
    m_pFindEdit->setFocus(Qt::TabFocusReason);
    m_pFindEdit->selectAll();
    return true;
}

void CSearchDialog::accept() {
    HandleMessage(m_pMessages, [&] { OnOK(); });
}

void CSearchDialog::OnOK() {
    UpdateData(true);
    // As typed, also when nothing is found; the walk upper-cases its own copy.
    *m_pStrSearch = m_strFind;
    CTreeCtrl& ctlTree = m_pTree->m_ctlTree;
    HTREEITEM hFound = 0;
    {
        CWaitCursor wait;
        hFound = FindNextMatch(*m_pTree, m_Match, m_strFind, m_bWholeWord != 0, m_nStartFrom,
                               ctlTree.GetSelectedItem());
        // The main dialog hears of the new selection before the cursor goes.
        if (hFound) {
            if (m_pTreeView)
                m_pTreeView->SelectItem(hFound);
            else
                ctlTree.SelectItem(hFound);
        }
    }
    if (!hFound)
        dialogtemplate::MessageBoxWarning(m_pMessages, this, kNotFound);
    QDialog::accept();
}
