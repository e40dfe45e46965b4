#pragma once

#include "JubileeFinder.h"
#include "Scan.h"
#include "Services.h"
#include "Settings.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <span>
#include <vector>

class CListEditor;
class CMSFlexGrid;
class CResultModel;
class QLabel;
class RemoteSync;
class QDateTime;
class MessageBoxService;
class QProgressBar;
class QPushButton;
class SoundService;

namespace Ui {
class CFestelForm;
}

// From `now` to just after the next local midnight, when an open window scans again.
int MsecsToNextDay(const QDateTime &now);

// The program's only view: range caption, result grid, progress bar and three buttons. It
// holds the settings while the program runs (loaded when built, saved when destroyed).
class CFestelForm : public QWidget {
    Q_OBJECT

public:
    CFestelForm(MessageBoxService &boxes, SoundService &sounds, QWidget *parent = nullptr);
    ~CFestelForm() override;

    void OnInitialUpdate(); // column widths, once the form stands
    void SetInfoButtonBitmap();

    // Scans the window around today again: caption, rows, progress bar and sound.
    void RunScan();
    // The address books on servers: how the password is asked, how long a server is given.
    RemoteSync &RemoteSources() { return *m_remote; }

    // Command handlers
    void OnExitButton();
    void OnOptionsButton();
    void OnInfoButton();
    void OnExportCalendar(); // the rows shown, as an iCalendar file the user picks
    void OnEditList();       // the date list in its editor, on the current row's entry
    // Whether the program may end: the list editor's unsaved changes are asked about.
    bool MayEnd();

    // Stores the settings and writes or removes the login entry; the destructor does it
    // too. False, with the reason in `problem`, when something could not be saved.
    bool SaveState(QString *problem);

    // The settings as one value, and the defaults the options restore.
    Settings CurrentSettings() const;
    void ApplySettings(const Settings &settings);
    // Why the stored settings could not be read (empty when they could).
    const QString &SettingsProblem() const { return m_settingsProblem; }

    // The day the scan takes for today (the system's local date unless set), and the file
    // dialog of the calendar export: seams for a fixed clock and a scripted answer.
    void SetToday(std::function<std::chrono::year_month_day()> today);
    using CalendarDialog = std::function<CalendarExportChoice(QWidget *, const QString &folder)>;
    void SetSaveCalendarDialog(CalendarDialog dialog);

signals:
    void aboutRequested(); // the info button's about box
    void exitRequested();  // the exit button, or Return on the form

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The scan's steps: reading and its reports, one day's rows, one row, and one step of
    // the progress bar.
    void ReadAndScan(const ScanWindow &window, WaitCursor &wait);
    void ReportProblems();
    void OnHideRows();      // "Ausblenden": the selected rows' entries, now and later
    void OfferFirstStart(); // no list at the default place: the example, or another file
    void ScanFileForDay(std::span<const ScanHit> rows);
    void AppendResultRow(const ScanHit &row);
    void StepProgress();
    void FlushRows();
    void ShowTodaysFirstRow();
    void ScheduleMidnightScan();
    void OnMidnight();
    // The window follows its sources: a change on disk (also a file replaced by a new one)
    // scans again, without repeating a box or a sound for what is unchanged.
    void WatchSources(const QStringList &sources);
    void OnSourcesChanged();
    void CreateRemoteNote();

    Ui::CFestelForm *ui;
    MessageBoxService &m_boxes;
    SoundService &m_sounds;
    CResultModel *m_model; // the form's, shown by the grid
    std::function<std::chrono::year_month_day()> m_today;
    CalendarDialog m_saveCalendarAs;
    QString m_exportFolder; // where the last export went

    QPushButton *m_infoButton = nullptr;
    QProgressBar *m_progress = nullptr;
    QString m_rangeText;
    CMSFlexGrid *m_grid = nullptr;
    int m_startDays = 2;
    int m_stopDays = 7;
    CodePage m_oemFile = CodePage::Ansi;
    bool m_codePageChosen = true; // see Settings::codePageChosen
    bool m_autoStart = true;
    bool m_notifyOnly = false; // the login entry only notifies
    QString m_filePath;
    QStringList m_sources; // after m_filePath
    LeapDay m_leapDay = LeapDay::OnlyInLeapYears;
    QStringList m_hidden; // entries hidden by "Ausblenden"
    QString m_defaultFilePath;
    QString m_exePath;
    QPixmap m_infoBitmap;

    JubileeFinder m_finder;                          // the sources as the last scan read them
    ScanWindow m_window{};                           // the days of the rows shown
    std::vector<std::vector<ScanHit>> m_pendingRows; // found, not yet in the grid
    int m_progressSteps = 0;                         // days scanned so far
    QElapsedTimer m_progressPainted;
    bool m_codePageReported = false;  // a missing code page is told once
    bool m_firstStartOffered = false; // the newcomer's box, once a run
    bool m_todaySoundPlayed = false;  // the jubilee sound has started in this scan
    QString m_settingsProblem;
    QTimer m_midnightTimer;
    QFileSystemWatcher m_watcher;           // the sources and their folders
    QTimer m_followTimer;                   // a burst of changes scans once
    QHash<QString, QString> m_sourceStamps; // each source as the last scan read it
    bool m_following = false;               // this scan follows a change on disk
    QString m_shownReport;                  // the problems the last box told
    QString m_soundRow;                     // the row whose year jubilee started the sound
    QPointer<CListEditor> m_editor;         // the list's editor, while it is open
    RemoteSync *m_remote;                   // the address books on servers, read aside
    QLabel *m_remoteNote;                   // what their last reads told
};
