#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include "Dialog.h"

#include <chrono>
#include <functional>
#include <string>

class CMSFlexGrid;
class MessageBoxService;
class QProgressBar;
class QPushButton;
class ScanPlan;
class SoundService;

// Set when the jubilee sound has been started during the current scan.
extern bool g_todaySoundPlayed;

// The program's only view: range caption, result grid, progress bar and three buttons. It
// holds the settings while the program runs (loaded when built, saved when destroyed).
class CFestelForm : public QWidget {
    Q_OBJECT

public:
    explicit CFestelForm(MessageBoxService &boxes, SoundService &sounds, QWidget *parent = nullptr);
    ~CFestelForm() override;

    void OnInitialUpdate();
    void SetInfoButtonBitmap();
    void UpdateData(bool saveAndValidate);

    // The scan (its members live with the scan code).
    void RunScan();
    void ScanFileForDay(std::chrono::sys_days day, const ScanPlan &plan, bool today);
    void AppendResultRow(const std::string &dateText, const std::string &message, bool today,
                         bool yearJubilee);

    // Command handlers
    void OnExitButton();
    void OnOptionsButton();
    void OnInfoButton();

    // The day the scan takes for today; the system's local date unless a test sets one.
    std::function<std::chrono::year_month_day()> m_today;

    QPushButton *m_infoButton = nullptr;
    QProgressBar *m_progress = nullptr;
    QString m_rangeText;
    CMSFlexGrid *m_grid = nullptr;
    int m_startDays = 2;
    int m_stopDays = 7;
    int m_oemFile = 0;
    int m_nextRow = 1;
    int m_autoStart = 1;
    QString m_filePath;
    QString m_defaultFilePath;
    QString m_exePath;
    QPixmap m_infoBitmap;

    const ControlMap &Controls() const { return m_controls; }

signals:
    void aboutRequested(); // the info button's about box

private:
    void DoDataExchange(CDataExchange &dx);
    void StepProgress();

    MessageBoxService &m_boxes;
    SoundService &m_sounds;
    ControlMap m_controls;
};
