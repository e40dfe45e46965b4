#include "LoginNote.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// A notification shows a few lines; the window has them all.
constexpr std::size_t kMaxLines = 8;

struct NoteRow {
    std::chrono::sys_days day;
    bool year;
    std::string message;
};

// Keeps the first rows of today and of the other days, and counts them all: the widest
// window may hold millions.
class NoteSink : public ScanSink {
public:
    explicit NoteSink(const DateList &list)
        : m_list(list)
    {
    }
    void RowsFound(std::span<const ScanHit> rows) override
    {
        for (const ScanHit &row : rows) {
            std::vector<NoteRow> &kept = row.today ? today : others;
            (row.today ? todayCount : otherCount) += 1;
            if (row.today && row.jubilee.IsYear())
                ++todayYears;
            if (kept.size() < kMaxLines) {
                std::string message;
                AppendRowMessage(message, m_list, row);
                kept.push_back({std::chrono::sys_days{std::chrono::days{row.day}},
                                row.jubilee.IsYear(), std::move(message)});
            }
        }
    }

    std::vector<NoteRow> today;
    std::vector<NoteRow> others;
    std::size_t todayCount = 0;
    std::size_t todayYears = 0;
    std::size_t otherCount = 0;

private:
    const DateList &m_list;
};

std::string Counted(std::size_t count, const char *one, const char *many)
{
    return count == 1 ? std::string("ein ") + one : std::to_string(count) + " " + many;
}

std::string TitleOf(const NoteSink &rows, bool problems)
{
    if (rows.todayYears > 0)
        return rows.todayYears == 1
                   ? "Heute ist ein Jahrestag!"
                   : "Heute sind " + std::to_string(rows.todayYears) + " Jahrestage!";
    if (rows.todayCount > 0)
        return "Heute: " + Counted(rows.todayCount, "Jubiläum", "Jubiläen");
    if (rows.otherCount > 0)
        return rows.otherCount == 1 ? "Ein Jubiläum in diesen Tagen"
                                    : std::to_string(rows.otherCount) + " Jubiläen in diesen Tagen";
    return problems ? "Festmark kann nicht alles lesen" : std::string();
}

} // namespace

std::optional<LoginNote> LoginNoteOf(const JubileeFinder &finder, const ScanWindow &window)
{
    NoteSink rows(*finder.Entries());
    finder.Scan(window, rows);
    const bool problems = std::any_of(finder.Reports().begin(), finder.Reports().end(),
                                      [](const SourceReport &r) { return r.HasProblem(); });
    if (rows.todayCount + rows.otherCount == 0 && !problems)
        return std::nullopt;

    LoginNote note{TitleOf(rows, problems), {}};
    std::size_t lines = 0;
    const auto add = [&note, &lines](const std::string &line) {
        if (!note.body.empty())
            note.body += '\n';
        note.body += line;
        ++lines;
    };
    for (const NoteRow &row : rows.today)
        add((row.year ? "heute, Jahrestag: " : "heute: ") + row.message);
    for (const NoteRow &row : rows.others) {
        if (lines == kMaxLines)
            break;
        add(DateText(row.day) + ": " + row.message);
    }
    if (const std::size_t all = rows.todayCount + rows.otherCount; all > lines)
        add("… und " + std::to_string(all - lines) + " weitere");
    if (problems)
        add("Nicht jede Quelle ließ sich fehlerfrei lesen; „Anzeigen“ nennt die Fehler.");
    return note;
}
