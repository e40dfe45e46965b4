#include "FestelForm.h"

#include "FlexGrid.h"
#include "OptionsDlg.h"
#include "Scan.h"
#include "Services.h"
#include "Settings.h"
#include "Templates.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr int kRangeCaption = 1031;
constexpr int kGrid = 1037;
constexpr int kProgress = 1038;
constexpr int kInfoButton = 1039;
constexpr int kOptionsButton = 1013;
constexpr int kExitButton = 1014;
constexpr int kInfoBitmap = 133;

} // namespace

CFestelForm::CFestelForm(MessageBoxService &boxes, SoundService &sounds, QWidget *parent)
    : QWidget(parent)
    , m_today(&LocalToday)
    , m_boxes(boxes)
    , m_sounds(sounds)
{
    m_controls = BuildDialogControls(*FindDialogTemplate(ids::kFormTemplate), this,
                                     [](const ControlTemplate &, QWidget *owner) -> QWidget * {
                                         return new CMSFlexGrid(owner);
                                     });
    m_rangeText = QString();

    m_exePath = QCoreApplication::applicationFilePath();
    m_defaultFilePath = DefaultFilePath(m_exePath);
    const Settings settings = LoadSettings(m_defaultFilePath);
    m_startDays = settings.startDays;
    m_stopDays = settings.stopDays;
    m_oemFile = settings.oemFile;
    m_autoStart = settings.autoStart;
    m_filePath = settings.filePath;

    UpdateData(false);
    connect(qobject_cast<QPushButton *>(m_controls.value(kExitButton)), &QPushButton::clicked, this,
            &CFestelForm::OnExitButton);
    connect(qobject_cast<QPushButton *>(m_controls.value(kOptionsButton)), &QPushButton::clicked,
            this, &CFestelForm::OnOptionsButton);
    connect(m_infoButton, &QPushButton::clicked, this, &CFestelForm::OnInfoButton);
}

CFestelForm::~CFestelForm()
{
    Settings settings;
    settings.startDays = m_startDays;
    settings.stopDays = m_stopDays;
    settings.oemFile = m_oemFile;
    settings.filePath = m_filePath;
    settings.autoStart = m_autoStart;
    SaveSettings(settings);
    WriteAutostartEntry(m_autoStart != 0, m_exePath);
}

void CFestelForm::DoDataExchange(CDataExchange &dx)
{
    m_infoButton = dx.Control<QPushButton>(kInfoButton);
    m_progress = dx.Control<QProgressBar>(kProgress);
    dx.Text(kRangeCaption, m_rangeText);
    m_grid = dx.Control<CMSFlexGrid>(kGrid);
}

void CFestelForm::UpdateData(bool saveAndValidate)
{
    ::UpdateData(m_controls, saveAndValidate, m_boxes, this,
                 [this](CDataExchange &dx) { DoDataExchange(dx); });
}

void CFestelForm::OnInitialUpdate()
{
    UpdateData(false);
    m_grid->SetColumnWidth(0, 1000);
    m_grid->SetColumnWidth(1, 7000);
}

void CFestelForm::SetInfoButtonBitmap()
{
    m_infoBitmap = LoadBitmap(kInfoBitmap);
    SetButtonImage(m_infoButton, m_infoBitmap); // Alt+I still presses it
}

void CFestelForm::OnExitButton()
{
    // Ends the program without a question; the settings are saved on the way.
    window()->hide();
    window()->close();
}

void CFestelForm::OnInfoButton()
{
    m_sounds.PlayLooping(146);
    emit aboutRequested();
    m_sounds.StopAll();
}

void CFestelForm::OnOptionsButton()
{
    COptionsDlg dialog(m_boxes, this);
    dialog.m_stopDays = m_stopDays;
    dialog.m_startDays = m_startDays;
    dialog.m_oemFile = m_oemFile;
    dialog.m_filePath = m_filePath;
    dialog.m_defaultFilePath = m_defaultFilePath;
    dialog.m_autoStart = m_autoStart;
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    m_startDays = dialog.m_startDays;
    m_oemFile = dialog.m_oemFile;
    m_stopDays = dialog.m_stopDays;
    m_filePath = dialog.m_filePath;
    m_autoStart = dialog.m_autoStart;
    RunScan();
}
