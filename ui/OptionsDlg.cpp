#include "OptionsDlg.h"

#include "Services.h"
#include "Settings.h"
#include "Templates.h"
#include "UpDown.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kAnsiRadio = 1015;
constexpr int kStartDaysEdit = 1027;
constexpr int kStartDaysUpDown = 1021;
constexpr int kStopDaysEdit = 1018;
constexpr int kStopDaysUpDown = 1019;
constexpr int kBrowseButton = 1033;
constexpr int kFilePathEdit = 1032;
constexpr int kAutoStartCheck = 1034;
constexpr int kDefaultsButton = 1028;
constexpr int kCancelButton = 2;
constexpr int kOkButton = 1;

} // namespace

COptionsDlg::COptionsDlg(MessageBoxService &boxes, QWidget *parent)
    : QDialog(parent)
    , m_browse(&GetOpenFileName)
    , m_boxes(boxes)
{
    m_controls = BuildDialog(ids::kOptionsTemplate, this);
    qobject_cast<CUpDown *>(m_controls.value(kStartDaysUpDown))->SetRange(0, kMaxStartDays);
    qobject_cast<CUpDown *>(m_controls.value(kStopDaysUpDown))->SetRange(0, kMaxStopDays);

    const auto button = [this](int id) {
        return qobject_cast<QPushButton *>(m_controls.value(id));
    };
    connect(button(kOkButton), &QPushButton::clicked, this, &COptionsDlg::OnOK);
    connect(button(kCancelButton), &QPushButton::clicked, this, &QDialog::reject);
    connect(button(kDefaultsButton), &QPushButton::clicked, this, &COptionsDlg::OnDefaultsButton);
    connect(button(kBrowseButton), &QPushButton::clicked, this, &COptionsDlg::OnBrowseButton);
}

void COptionsDlg::DoDataExchange(CDataExchange &dx)
{
    dx.Radio(kAnsiRadio, m_oemFile);
    dx.Text(kStartDaysEdit, m_startDays);
    dx.MinMaxInt(kStartDaysEdit, m_startDays, 0, kMaxStartDays);
    dx.Text(kStopDaysEdit, m_stopDays);
    dx.MinMaxInt(kStopDaysEdit, m_stopDays, 0, kMaxStopDays);
    dx.Text(kFilePathEdit, m_filePath);
    dx.Check(kAutoStartCheck, m_autoStart);
}

bool COptionsDlg::UpdateData(bool saveAndValidate)
{
    return ::UpdateData(m_controls, saveAndValidate, m_boxes, this,
                        [this](CDataExchange &dx) { DoDataExchange(dx); });
}

int COptionsDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

void COptionsDlg::OnInitDialog()
{
    UpdateData(false);
}

void COptionsDlg::OnOK()
{
    if (UpdateData(true))
        accept();
}

void COptionsDlg::OnDefaultsButton()
{
    // ANSI, as a first start has it: OEM would garble every umlaut of a UTF-8 list.
    m_oemFile = 0;
    m_startDays = 2;
    m_stopDays = 7;
    m_filePath = m_defaultFilePath;
    m_autoStart = 1;
    UpdateData(false);
}

void COptionsDlg::OnBrowseButton()
{
    const QString path = m_browse(this);
    if (path.isEmpty())
        return;
    // Only the path changes: what the user typed into the other fields stays.
    m_filePath = path;
    qobject_cast<QLineEdit *>(m_controls.value(kFilePathEdit))->setText(path);
}
