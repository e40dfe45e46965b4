#include "FestelForm.h"
#include "ui_FestelForm.h"

#include "Autostart.h"
#include "ICalendar.h"
#include "OptionsDlg.h"
#include "ResultModel.h"
#include "Scan.h"
#include "Services.h"
#include "SettingsStore.h"
#include "Sound.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>

#include <cstdio>
#include <utility>

namespace {

constexpr int kInfoBitmap = 133;
constexpr int kInfoSound = 146;

} // namespace

CFestelForm::CFestelForm(MessageBoxService &boxes, SoundService &sounds, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::CFestelForm)
    , m_boxes(boxes)
    , m_sounds(sounds)
    , m_model(new CResultModel(this))
    , m_today(&LocalToday)
    , m_saveCalendarAs(&GetSaveCalendarName)
{
    ui->setupUi(this);
    ui->resultGrid->setModel(m_model);
    m_infoButton = ui->infoButton;
    m_progress = ui->progressBar;
    m_grid = ui->resultGrid;
    // The proportions of the home platform's form, in the desktop's font: a thin progress
    // bar, a large picture button and a column of buttons 15 characters wide.
    const QFontMetrics metrics = fontMetrics();
    m_progress->setFixedHeight(metrics.height() * 3 / 4);
    m_infoButton->setMinimumHeight(metrics.height() * 55 / 8);
    for (QPushButton *button : {ui->infoButton, ui->optionsButton, ui->exitButton})
        button->setMinimumWidth(metrics.averageCharWidth() * 15);

    m_exePath = QCoreApplication::applicationFilePath();
    m_defaultFilePath = DefaultFilePath(m_exePath);
    ApplySettings(LoadSettings(m_defaultFilePath, &m_settingsProblem));

    connect(ui->exitButton, &QPushButton::clicked, this, &CFestelForm::OnExitButton);
    connect(ui->optionsButton, &QPushButton::clicked, this, &CFestelForm::OnOptionsButton);
    connect(ui->infoButton, &QPushButton::clicked, this, &CFestelForm::OnInfoButton);
    m_midnightTimer.setSingleShot(true);
    connect(&m_midnightTimer, &QTimer::timeout, this, &CFestelForm::OnMidnight);
}

CFestelForm::~CFestelForm()
{
    // The window is gone by now: what could not be saved is said on the terminal.
    QString problem;
    if (!SaveState(&problem))
        std::fprintf(stderr, "festmark: %s\n", problem.toLocal8Bit().constData());
    delete ui;
}

bool CFestelForm::SaveState(QString *problem)
{
    return SaveSettings(CurrentSettings(), problem) &&
           WriteAutostartEntry(m_autoStart != 0, m_exePath, problem);
}

Settings CFestelForm::CurrentSettings() const
{
    Settings settings;
    settings.startDays = m_startDays;
    settings.stopDays = m_stopDays;
    settings.oemFile = m_oemFile;
    settings.filePath = m_filePath;
    settings.autoStart = m_autoStart;
    return settings;
}

void CFestelForm::ApplySettings(const Settings &settings)
{
    m_startDays = settings.startDays;
    m_stopDays = settings.stopDays;
    m_oemFile = settings.oemFile;
    m_filePath = settings.filePath;
    m_autoStart = settings.autoStart;
}

void CFestelForm::SetToday(std::function<std::chrono::year_month_day()> today)
{
    m_today = std::move(today);
}

void CFestelForm::SetSaveCalendarDialog(std::function<QString(QWidget *)> dialog)
{
    m_saveCalendarAs = std::move(dialog);
}

void CFestelForm::OnInitialUpdate()
{
    m_grid->SetColumnWidth(0, 1000);
    m_grid->SetColumnWidth(1, 7000);
}

void CFestelForm::SetInfoButtonBitmap()
{
    m_infoBitmap = LoadBitmap(kInfoBitmap);
    SetButtonImage(m_infoButton, m_infoBitmap); // Alt+I still presses it
}

void CFestelForm::keyPressEvent(QKeyEvent *event)
{
    // Return presses the focused button, and elsewhere the default button "Beenden", as in
    // a dialog (Qt keeps that rule to dialogs).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *focused = qobject_cast<QPushButton *>(focusWidget());
        (focused != nullptr ? focused : ui->exitButton)->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CFestelForm::OnExitButton()
{
    // Ends the program without a question; the settings are saved on the way.
    emit exitRequested();
}

void CFestelForm::OnInfoButton()
{
    m_sounds.PlayLooping(kInfoSound);
    emit aboutRequested();
    m_sounds.StopAll();
}

void CFestelForm::OnExportCalendar()
{
    const QString path = m_saveCalendarAs(this);
    if (path.isEmpty())
        return;
    std::string text;
    if (m_model->List() != nullptr) {
        const ICalendarWriter writer(*m_model->List(), std::chrono::floor<std::chrono::seconds>(
                                                           std::chrono::system_clock::now()));
        writer.Begin(text);
        for (int row = 0; row < m_model->rowCount(); ++row)
            writer.Add(text, m_model->Hit(row));
        writer.End(text);
    }
    // Replaced whole or not at all: a full disk leaves the old calendar as it was.
    if (QString why; !ReplaceFileWhole(path, text, &why)) {
        m_boxes.Show(this, QStringLiteral("Fehler beim Schreiben von %1: %2")
                               .arg(QDir::toNativeSeparators(path), why));
    }
}

void CFestelForm::OnOptionsButton()
{
    COptionsDlg dialog(CurrentSettings(), m_defaultFilePath, m_boxes, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ApplySettings(dialog.settings());
    RunScan();
}
