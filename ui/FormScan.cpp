// The form's scan: caption, progress bar, messages, the grid's rows and the jubilee sound
// around the scan core.
#include "FestelForm.h"
#include "ui_FestelForm.h"

#include "AddressBookCache.h"
#include "FlexGrid.h"
#include "JubileeFinder.h"
#include "RemoteSync.h"
#include "ResultModel.h"
#include "Scan.h"
#include "Services.h"
#include "Sound.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QTimeZone>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <utility>

namespace {

constexpr int kJubileeSound = 151;
// Rows are kept in batches of this many and reach the grid together at the end of the scan:
// a view told of every row, or growing storage copied again and again, would cost more than
// the scan.
constexpr std::size_t kRowBatch = 1 << 16;
// The progress bar is painted at most this often while the scan holds the event loop.
constexpr qint64 kProgressPaintMs = 40;

} // namespace

namespace {

// Thrown out of a scan or a reading that a termination signal cuts short.
struct ScanStopped {};

void StopWhenTerminated()
{
    if (TerminationSignals::Pending())
        throw ScanStopped{};
}

// Hands the scan's rows and days to the form's own steps.
class CallbackSink : public ScanSink {
public:
    CallbackSink(std::function<void()> dayStarted,
                 std::function<void(std::span<const ScanHit>)> rowsFound)
        : m_dayStarted(std::move(dayStarted))
        , m_rowsFound(std::move(rowsFound))
    {
    }

    void DayStarted(std::chrono::sys_days) override { m_dayStarted(); }
    void RowsFound(std::span<const ScanHit> rows) override { m_rowsFound(rows); }

private:
    std::function<void()> m_dayStarted;
    std::function<void(std::span<const ScanHit>)> m_rowsFound;
};

} // namespace

void CFestelForm::RunScan()
{
    WaitCursor wait;
    m_todaySoundPlayed = false;
    m_window = MakeScanWindow(m_today(), m_startDays, m_stopDays);
    const ScanWindow &window = m_window;

    m_model->Reset(nullptr);
    m_rangeText = Utf8Text(RangeCaption(window));

    // The progress range is the 16-bit sum of the low halves of both settings.
    const auto maximum = static_cast<std::uint16_t>((m_startDays & 0xFFFF) + (m_stopDays & 0xFFFF));
    m_progress->setRange(0, maximum);
    m_progress->setValue(0);
    m_progressSteps = 0;
    m_progressPainted.start();

    // A termination signal cuts reading and scanning short: the program ends at once, its
    // settings saved on the way out.
    try {
        ReadAndScan(window, wait);
    } catch (const ScanStopped &) {
        m_pendingRows.clear();
        m_model->Reset(nullptr);
        return;
    }

    m_progress->setValue(0);
    ui->rangeCaption->setText(m_rangeText);
    ShowTodaysFirstRow();
    ScheduleMidnightScan();
    // The row whose sound played is gone from the file: so is the sound.
    if (m_following && !m_todaySoundPlayed && !m_soundRow.isEmpty()) {
        m_sounds.StopAll();
        m_soundRow.clear();
    }
}

void CFestelForm::ReadAndScan(const ScanWindow &window, WaitCursor &wait)
{
    const QStringList paths = SourcesOf(CurrentSettings());
    std::vector<Source> sources;
    for (const QString &path : paths)
        sources.push_back(SourceAt(path));
    m_finder.SetLeapDay(m_leapDay);
    WatchSources(paths); // before reading: a change while it reads is seen
    m_remote->SyncDue(paths);
    m_finder.Read(
        sources, m_oemFile,
        [&wait] {
            StopWhenTerminated();
            wait.Update();
        },
        m_hidden);
    ReportProblems();
    m_model->Reset(m_finder.Entries());
    CallbackSink sink(
        [this, &wait] {
            StopWhenTerminated();
            wait.Update();
            StepProgress();
        },
        [this](std::span<const ScanHit> rows) { ScanFileForDay(rows); });
    try {
        m_finder.Scan(window, sink);
        FlushRows();
    } catch (const std::bad_alloc &) {
        // More rows than the memory holds: the program goes on, and the user hears why.
        m_pendingRows.clear();
        m_pendingRows.shrink_to_fit();
        m_boxes.Show(this, Utf8Text(TooManyRowsMessage()));
    }
}

void CFestelForm::ReportProblems()
{
    // Reported once per scan, all sources in one box: one typo must not cost a box per day.
    std::span<const SourceReport> reports = m_finder.Reports();
    if (!reports.empty() && reports.front().error == OpenError::NotFound &&
        m_filePath == m_defaultFilePath && !m_firstStartOffered) {
        m_firstStartOffered = true;
        OfferFirstStart();
        reports = reports.subspan(1);
    }
    // An address book on a server that was never read is being read now: the window says
    // how that went, beside the rows, not in a box.
    std::vector<SourceReport> told;
    for (const SourceReport &report : reports)
        if (report.error != OpenError::NotCached)
            told.push_back(report);
    // A change on disk scans again: what was told of the same problems is not told again.
    const QString message = Utf8Text(ReportMessage(told));
    if (!message.isEmpty() && !(m_following && message == m_shownReport))
        m_boxes.Show(this, message);
    m_shownReport = message;
    if (const std::string missing = MissingCodePageOf(reports);
        !missing.empty() && !m_codePageReported) {
        m_codePageReported = true;
        m_boxes.Show(this, Utf8Text(MissingCodePageMessage(missing)));
    }
}

void CFestelForm::OfferFirstStart()
{
    // A newcomer has no list yet: what to do next, and what Festmark does by itself.
    const int answer = m_boxes.Ask(
        this,
        QStringLiteral(
            "Willkommen bei Festmark! Es gibt noch keine Datumsliste %1.\n\n"
            "Sie können mit der Beispielliste beginnen: Festmark legt sie dort an und öffnet sie "
            "in Ihrem Editor, damit Sie Ihre eigenen Tage eintragen. Oder Sie wählen unter "
            "„Optionen“ eine andere Datei.\n\n"
            "Festmark startet bei jeder Anmeldung von selbst, um an die Tage zu erinnern; "
            "abschalten lässt sich das unter „Optionen“, „automatisch starten“.")
            .arg(QDir::toNativeSeparators(m_filePath)),
        {QStringLiteral("Mit der &Beispielliste beginnen"),
         QStringLiteral("Andere &Datei wählen..."), QStringLiteral("&Schließen")});
    if (answer == 1) {
        QTimer::singleShot(0, this, &CFestelForm::OnOptionsButton);
        return;
    }
    if (answer != 0)
        return;
    QFile example(QStringLiteral(":/Festmark.txt"));
    QString why = QStringLiteral("nicht im Programm");
    if (example.open(QIODevice::ReadOnly)) {
        QDir().mkpath(QFileInfo(m_filePath).absolutePath());
        // Only where there is still no file: a list the user put there while the box was
        // open is theirs, and is read, never replaced.
        QFile target(m_filePath);
        if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(m_filePath)) {
                QTimer::singleShot(0, this, &CFestelForm::RunScan);
                return;
            }
            why = target.errorString();
        } else if (target.write(example.readAll()) != example.size() || !target.flush()) {
            why = target.errorString();
            target.remove(); // no half example where the list belongs
        } else {
            why.clear();
        }
    }
    if (!why.isEmpty()) {
        m_boxes.Show(this, QStringLiteral("Die Beispielliste ließ sich nicht als %1 anlegen: %2")
                               .arg(QDir::toNativeSeparators(m_filePath), why));
        return;
    }
    m_boxes.OpenInEditor(m_filePath);
    QTimer::singleShot(0, this, &CFestelForm::RunScan);
}

void CFestelForm::StepProgress()
{
    // One step per day; the bar shows the count (and paints itself, since the scan gives
    // the event loop no turn) not more often than the eye follows. A step past the maximum
    // leaves the bar full.
    ++m_progressSteps;
    if (m_progressPainted.hasExpired(kProgressPaintMs)) {
        m_progress->setValue(std::min(m_progressSteps, m_progress->maximum()));
        m_progressPainted.start();
    }
}

void CFestelForm::ScanFileForDay(std::span<const ScanHit> rows)
{
    for (const ScanHit &row : rows) {
        AppendResultRow(row);
        // The first year jubilee on today starts the sound, once per scan.
        // A scan that follows a change on disk leaves the sound of the same row alone.
        if (row.jubilee.IsYear() && row.today && !m_todaySoundPlayed) {
            m_todaySoundPlayed = true;
            const QString soundRow = m_finder.HiddenKeyOf(row.entry) + QLatin1Char('#') +
                                     QString::number(row.jubilee.count);
            if (!(m_following && soundRow == m_soundRow))
                m_sounds.PlayLooping(kJubileeSound);
            m_soundRow = soundRow;
        }
    }
}

void CFestelForm::AppendResultRow(const ScanHit &row)
{
    if (m_pendingRows.empty() || m_pendingRows.back().size() == kRowBatch) {
        m_pendingRows.emplace_back();
        m_pendingRows.back().reserve(kRowBatch);
    }
    m_pendingRows.back().push_back(row);
}

void CFestelForm::FlushRows()
{
    if (!m_pendingRows.empty())
        m_pendingRows.back().shrink_to_fit();
    m_model->Append(std::exchange(m_pendingRows, {}));
}

void CFestelForm::ShowTodaysFirstRow()
{
    const int row = m_model->FirstTodayRow();
    if (row < 0)
        return;
    const QModelIndex index = m_model->index(row, 0);
    m_grid->setCurrentIndex(index);
    m_grid->scrollTo(index, QAbstractItemView::PositionAtTop);
}

int MsecsToNextDay(const QDateTime &now)
{
    // A second after the next day begins, so that the clock has surely turned. Where a time
    // zone skips midnight (Havana, Santiago, Apia ...), the day begins at its first moment
    // that exists.
    // A day that is skipped whole (Apia's 30.12.2011) has no start: the one after it counts.
    const QTimeZone zone = now.timeZone();
    QDate next = now.date().addDays(1);
    QDateTime start = next.startOfDay(zone);
    for (int skipped = 0; !start.isValid() && skipped < 2; ++skipped) {
        next = next.addDays(1);
        start = next.startOfDay(zone);
    }
    const QDateTime midnight = start.addSecs(1);
    return static_cast<int>(
        std::clamp<qint64>(now.msecsTo(midnight), 1000, qint64{25} * 3600 * 1000));
}

void CFestelForm::ScheduleMidnightScan()
{
    // A window left open past midnight scans again, so that today's red and the sound follow
    // the calendar.
    m_midnightTimer.start(MsecsToNextDay(QDateTime::currentDateTime()));
}

void CFestelForm::OnMidnight()
{
    // Not under an open dialog: its owner expects the form as it left it.
    if (QApplication::activeModalWidget() != nullptr) {
        m_midnightTimer.start(60 * 1000);
        return;
    }
    RunScan();
}

namespace {

// What tells a file's change: a new size, time or inode change (a file replaced by a new one
// has a new status change time), or that it came or went.
QString StampOf(const QFileInfo &file)
{
    if (!file.exists())
        return {};
    return QStringLiteral("%1 %2 %3")
        .arg(file.size())
        .arg(file.lastModified().toMSecsSinceEpoch())
        .arg(file.metadataChangeTime().toMSecsSinceEpoch());
}

} // namespace

void CFestelForm::WatchSources(const QStringList &sources)
{
    m_sourceStamps.clear();
    QStringList files;
    QStringList folders;
    for (const QString &source : sources) {
        if (source.isEmpty())
            continue;
        // An address book on a server changes where its cache does.
        const QString path = IsRemoteSource(source) ? AddressBookCachePath(source) : source;
        const QFileInfo file(path);
        m_sourceStamps.insert(path, StampOf(file));
        if (file.isFile())
            files += path;
        // The folder sees a file that is saved by a rename, or that comes into being.
        if (const QFileInfo folder(file.absolutePath()); folder.isDir())
            folders += folder.filePath();
    }
    folders.removeDuplicates();
    // A rescan of the same sources leaves the watches as they are; a file replaced by a new
    // one has lost its watch and is watched again.
    const auto same = [](QStringList a, QStringList b) {
        a.sort();
        b.sort();
        return a == b;
    };
    if (same(files, m_watcher.files()) && same(folders, m_watcher.directories()))
        return;
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    if (!files.isEmpty())
        m_watcher.addPaths(files);
    if (!folders.isEmpty())
        m_watcher.addPaths(folders);
}

void CFestelForm::OnSourcesChanged()
{
    // Not under an open dialog or box: its owner expects the form as it left it.
    if (QApplication::activeModalWidget() != nullptr) {
        m_followTimer.start();
        return;
    }
    bool changed = false;
    for (auto source = m_sourceStamps.cbegin(); source != m_sourceStamps.cend() && !changed;
         ++source)
        changed = StampOf(QFileInfo(source.key())) != source.value();
    if (!changed) // another file of the same folder
        return;
    m_following = true;
    RunScan();
    m_following = false;
}
