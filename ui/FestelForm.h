#pragma once

#include "Settings.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>
#include <string>

class CMSFlexGrid;
class MessageBoxService;
class QProgressBar;
class QPushButton;
class ScanPlan;
class SoundService;

namespace Ui {
class CFestelForm;
}

// Set when the jubilee sound has been started during the current scan.
extern bool g_todaySoundPlayed;

// The program's only view: range caption, result grid, progress bar and three buttons. It
// holds the settings while the program runs (loaded when built, saved when destroyed).
class CFestelForm : public QWidget {
    Q_OBJECT

public:
    CFestelForm(MessageBoxService &boxes, SoundService &sounds, QWidget *parent = nullptr);
    ~CFestelForm() override;

    void OnInitialUpdate(); // column widths, once the form stands
    void SetInfoButtonBitmap();

    // The scan (its members live with the scan code).
    void RunScan();
    void ScanFileForDay(std::chrono::sys_days day, const ScanPlan &plan, bool today);
    void AppendResultRow(const std::string &dateText, const std::string &message, bool today,
                         bool yearJubilee);

    // Command handlers
    void OnExitButton();
    void OnOptionsButton();
    void OnInfoButton();

    // The settings as one value, and the defaults the options restore.
    Settings CurrentSettings() const;
    void ApplySettings(const Settings &settings);

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

signals:
    void aboutRequested(); // the info button's about box
    void exitRequested();  // the exit button, or Return on the form

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void StepProgress();

    Ui::CFestelForm *ui;
    MessageBoxService &m_boxes;
    SoundService &m_sounds;
};
