// The form's scan: grid reset, caption, progress bar, messages and the jubilee sound around
// the scan core.
#include "FestelForm.h"
#include "ui_FestelForm.h"

#include "FlexGrid.h"
#include "Scan.h"
#include "Services.h"
#include "Sound.h"

#include <QDir>
#include <QProgressBar>

#include <cstdint>

bool g_todaySoundPlayed = false;

namespace {

constexpr int kJubileeSound = 151;
constexpr short kDateAlignment = 3;
constexpr long kRowBlock = 128;

class FormSink : public ScanSink {
public:
    FormSink(CFestelForm &form, SoundService &sounds)
        : m_form(form)
        , m_sounds(sounds)
    {
    }

    void RowFound(const ResultRow &row) override
    {
        m_form.AppendResultRow(row.dateText, row.message, row.today, row.yearJubilee);
        // The first year jubilee on today starts the sound, once per scan.
        if (row.yearJubilee && row.today && !g_todaySoundPlayed) {
            g_todaySoundPlayed = true;
            m_sounds.PlayLooping(kJubileeSound);
        }
    }

private:
    CFestelForm &m_form;
    SoundService &m_sounds;
};

} // namespace

void CFestelForm::RunScan()
{
    const WaitCursor wait;
    g_todaySoundPlayed = false;
    const ScanWindow window = MakeScanWindow(m_today(), m_startDays, m_stopDays);

    m_nextRow = 1;
    m_grid->SetRowCount(kRowBlock);
    m_grid->ClearGrid();
    m_grid->SetCurrentRow(0);
    m_grid->SetCurrentCol(0);
    m_grid->SetCellText(QStringLiteral("Datum"));
    m_grid->SetCurrentCol(1);
    m_grid->SetCellText(QStringLiteral("Meldung"));

    m_rangeText = Utf8Text(RangeCaption(window));

    // The progress range is the 16-bit sum of the low halves of both settings.
    const auto maximum = static_cast<std::uint16_t>((m_startDays & 0xFFFF) + (m_stopDays & 0xFFFF));
    m_progress->setRange(0, maximum);
    m_progress->setValue(0);

    const std::string path = QDir::toNativeSeparators(m_filePath).toStdString();
    const std::optional<DateList> list = ReadDateListFile(m_filePath, m_oemFile);
    if (!list) {
        m_boxes.Show(this, Utf8Text(OpenFailureMessage(path)));
    } else {
        // Reported once per scan: one typo must not cost a box per day.
        if (!list->badLines.empty())
            m_boxes.Show(this, Utf8Text(BadLinesMessage(path, list->badLines)));
        const ScanPlan plan(list->entries, window);
        for (auto day = window.first; day <= window.last; day += std::chrono::days{1}) {
            StepProgress();
            ScanFileForDay(day, plan, day == window.today);
        }
    }

    m_grid->SetRowCount(m_nextRow);
    m_progress->setValue(0);
    ui->rangeCaption->setText(m_rangeText);
}

void CFestelForm::StepProgress()
{
    // A step past the maximum leaves the bar full. The bar is painted at once, since the scan
    // gives the event loop no turn, but only when it visibly moves.
    const int before = m_progress->value();
    const int after = std::min(before + 1, m_progress->maximum());
    m_progress->setValue(after);
    const int width = std::max(1, m_progress->width());
    const int span = std::max(1, m_progress->maximum());
    if (before * width / span != after * width / span && m_progress->isVisible())
        m_progress->repaint();
}

void CFestelForm::ScanFileForDay(std::chrono::sys_days day, const ScanPlan &plan, bool today)
{
    FormSink sink(*this, m_sounds);
    plan.ScanDay(day, today, sink);
}

void CFestelForm::AppendResultRow(const std::string &dateText, const std::string &message,
                                  bool today, bool yearJubilee)
{
    if (m_nextRow + 1 > m_grid->GetRowCount())
        m_grid->SetRowCount(m_grid->GetRowCount() + kRowBlock);
    m_grid->SetCurrentRow(m_nextRow);
    m_grid->SetCurrentCol(0);
    m_grid->SetCellAlignment(kDateAlignment);
    m_grid->SetCellText(Utf8Text(dateText));
    // Wherever a background is set, so is the text colour: the desktop's own text colour can
    // be white on a dark theme.
    if (yearJubilee && today) {
        m_grid->SetCellBackColour(colour::kRed);
        m_grid->SetCellForeColour(colour::kYellow);
    } else if (yearJubilee) {
        m_grid->SetCellBackColour(colour::kYellow);
        m_grid->SetCellForeColour(colour::kBlack);
    } else if (today) {
        m_grid->SetCellBackColour(colour::kRed);
        m_grid->SetCellForeColour(colour::kWhite);
    }
    m_grid->SetCurrentCol(1);
    m_grid->SetCellText(Utf8Text(message));
    if (yearJubilee) {
        m_grid->SetCellBackColour(colour::kYellow);
        m_grid->SetCellForeColour(colour::kBlack);
    }
    ++m_nextRow;
}
