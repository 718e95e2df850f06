#include "viewer/extradatadialog.h"

#include "data/databasefiles.h"
#include "extra/extradata.h"
#include "platform/cp1251.h"
#include "platform/qt/dialogtemplate.h"
#include "platform/qt/messageboundary.h"
#include "platform/qt/richeditview.h"

#include <QPushButton>

CExtraDataDialog::CExtraDataDialog(const CAircraftText& card, CDatabaseFiles& app,
                                   const std::string& strDir, QWidget* pParent)
    : QDialog(pParent), m_pCard(&card), m_pApp(&app), m_strDir(strDir) {
    CreateControls();
}

CExtraDataDialog::~CExtraDataDialog() {
    // The views hold on to the panes, which are members and go first.
    delete m_pStripsView;
    delete m_pSpeedsView;
    delete m_pSpecsView;
}

// Template 129.
void CExtraDataDialog::CreateControls() {
    using dialogtemplate::Id;
    using dialogtemplate::MapDialogRect;
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Дополнительные данные"));
    setFont(dialogtemplate::DialogFont());
    setFixedSize(MapDialogRect(0, 0, 303, 351).size());

    auto pane = [&](CRichEditCtrl& ctl, int nID, QRect rc) {
        auto* pView = new CRichEditView(ctl, this);
        pView->setObjectName(Id(nID));
        pView->setGeometry(rc);
        pView->setFrameStyle(QFrame::Box | QFrame::Plain);
        pView->setLineWidth(1);
        // No tab stops: a click still puts the focus there.
        pView->setFocusPolicy(Qt::ClickFocus);
        return pView;
    };
    m_pStripsView = pane(m_ctlStrips, IDC_STRIPS, MapDialogRect(7, 7, 289, 65));
    // The only pane with a vertical scroll bar: a long strip table scrolls.
    m_pStripsView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pSpeedsView = pane(m_ctlSpeeds, IDC_SPEEDS, MapDialogRect(7, 79, 289, 101));
    m_pSpecsView = pane(m_ctlSpecs, IDC_SPECS, MapDialogRect(7, 187, 289, 137));

    m_pOkButton = new QPushButton(QStringLiteral("Выход"), this);
    m_pOkButton->setObjectName(Id(IDOK));
    m_pOkButton->setGeometry(MapDialogRect(127, 331, 50, 14));
    m_pOkButton->setFocusPolicy(Qt::StrongFocus);
    m_pOkButton->setDefault(true);
    connect(m_pOkButton, &QPushButton::clicked, this, [this] { accept(); });
}

QWidget* CExtraDataDialog::GetDlgItem(int nID) const {
    return dialogtemplate::GetDlgItem(*this, nID);
}

CRichEditView* CExtraDataDialog::GetPaneView(int nID) const {
    switch (nID) {
    case IDC_STRIPS:
        return m_pStripsView;
    case IDC_SPEEDS:
        return m_pSpeedsView;
    case IDC_SPECS:
        return m_pSpecsView;
    default:
        return nullptr;
    }
}

void CExtraDataDialog::setVisible(bool bVisible) {
    if (bVisible && !isVisible())
        HandleMessage(m_pMessages, [&] { OnInitDialog(); });
    QDialog::setVisible(bVisible);
}

bool CExtraDataDialog::OnInitDialog() {
    const std::string strWarning =
        FillExtraPanes(m_ctlStrips, m_ctlSpeeds, m_ctlSpecs, *m_pCard, *m_pApp,
                       CDatabaseFiles::PathIn(m_strDir, CDatabaseFiles::kExtraTemplateName));
    // The first picture already shows the panes, not the text they had.
    for (CRichEditView* pView : {m_pStripsView, m_pSpeedsView, m_pSpecsView})
        pView->Refresh();
    m_pOkButton->setFocus(Qt::TabFocusReason);
    if (!strWarning.empty())
        dialogtemplate::MessageBoxWarning(m_pMessages, parentWidget(), cp1251::ToUtf8(strWarning));
    return true;
}
