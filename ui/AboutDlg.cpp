#include "AboutDlg.h"

#include "Services.h"
#include "Strings.h"
#include "Templates.h"

#include <QPushButton>

namespace {

constexpr int kOkButton = 1;
constexpr int kFeatures = 1041;
constexpr int kOkBitmap = 143;

} // namespace

CAboutDlg::CAboutDlg(MessageBoxService &boxes, QWidget *parent)
    : QDialog(parent)
    , m_features(LoadResString(ids::kFeatures))
    , m_boxes(boxes)
{
    m_controls = BuildDialog(ids::kAboutTemplate, this);
    OnInitDialog();
}

void CAboutDlg::DoDataExchange(CDataExchange &dx)
{
    m_okButton = dx.Control<QPushButton>(kOkButton);
    dx.Text(kFeatures, m_features);
}

void CAboutDlg::OnInitDialog()
{
    ::UpdateData(m_controls, false, m_boxes, this,
                 [this](CDataExchange &dx) { DoDataExchange(dx); });
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    m_okBitmap = LoadBitmap(kOkBitmap);
    SetButtonImage(m_okButton, m_okBitmap);
    m_okButton->setDefault(true);
    m_okButton->setFocus();
}
