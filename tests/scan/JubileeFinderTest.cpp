// The one road from the sources to the rows: several files read in order, their rows merged by
// day, then source, then line, every problem reported once with its file, and calendar UIDs.
#include "JubileeFinder.h"

#include "ICalendar.h"
#include "LoginNote.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

class RowTexts : public ScanSink {
public:
    explicit RowTexts(const DateList &list)
        : m_list(list)
    {
    }
    void RowsFound(std::span<const ScanHit> rows) override
    {
        for (const ScanHit &row : rows) {
            std::string text = DateText(sys_days{days{row.day}}) + " ";
            AppendRowMessage(text, m_list, row);
            texts.push_back(text);
        }
    }
    std::vector<std::string> texts;

private:
    const DateList &m_list;
};

// Collects what a calendar output is handed.
class TextOutput : public Output {
public:
    bool Write(std::string_view piece) override
    {
        text.append(piece);
        return true;
    }
    bool Finish() override { return true; }
    std::string Failure() const override { return {}; }
    std::string text;
};

class JubileeFinderTest : public testing::Test {
protected:
    QString Write(const QString &name, const QByteArray &content)
    {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    JubileeFinder Read(const QStringList &paths)
    {
        std::vector<Source> sources;
        for (const QString &path : paths)
            sources.push_back(SourceAt(path));
        JubileeFinder finder;
        finder.Read(sources, CodePage::Ansi);
        return finder;
    }

    static std::vector<std::string> Rows(const JubileeFinder &finder, const ScanWindow &window)
    {
        RowTexts sink(*finder.Entries());
        finder.Scan(window, sink);
        return sink.texts;
    }

    // The UIDs of a calendar's events, in their order.
    static std::vector<std::string> Uids(const std::string &calendar)
    {
        std::vector<std::string> uids;
        for (std::size_t at = calendar.find("UID:"); at != std::string::npos;
             at = calendar.find("UID:", at + 1))
            uids.push_back(calendar.substr(at + 4, calendar.find("\r\n", at) - at - 4));
        return uids;
    }

    std::vector<std::string> Uids(const JubileeFinder &finder) const
    {
        TextOutput calendar;
        EXPECT_TRUE(finder.WriteCalendar(m_march, calendar, std::nullopt));
        return Uids(calendar.text);
    }

    QTemporaryDir m_dir;
    const ScanWindow m_march = MakeScanWindow(2026y / March / 14, 0, 7);
};

TEST_F(JubileeFinderTest, RowsComeByDayThenSourceThenLine)
{
    const QString list = Write("liste.txt", "21.03.1976 Bernd wird # alt\n"
                                            "14.03.1976 Anna wird # alt\n"
                                            "14.03.2016 Verein: # Mitglied\n");
    const QString cards =
        Write("k.vcf", "BEGIN:VCARD\r\nFN:Carla\r\nBDAY:19860314\r\nEND:VCARD\r\n");
    EXPECT_EQ(Rows(Read({cards, list}), m_march),
              (std::vector<std::string>{
                  "14.03.2026 Carla wird 40 Jahre alt!", "14.03.2026 Anna wird 50 Jahre alt!",
                  "14.03.2026 Verein: 10 Jahre Mitglied!", "21.03.2026 Bernd wird 50 Jahre alt!"}));
    // The same file named twice is read once.
    EXPECT_EQ(Rows(Read({list, list}), m_march).size(), 3u);
}

TEST_F(JubileeFinderTest, OneReportNamesEachSourcesProblems)
{
    const QString good = Write("gut.txt", "14.03.1976 Anna wird # alt\n");
    const QString bad = Write("schlecht.txt", "14.03.1976 A\n31.02.2000 X\n\n");
    const QString missing = m_dir.filePath("fehlt.txt");
    const JubileeFinder finder = Read({missing, good, bad});
    EXPECT_FALSE(finder.AllRead());
    EXPECT_EQ(Rows(finder, m_march).size(), 2u); // the good rows of every source
    const std::string name = SourceAt(bad).name;
    EXPECT_EQ(ReportMessage(finder.Reports()),
              "Fehler beim Öffnen von " + SourceAt(missing).name + ": Datei nicht gefunden\n\n" +
                  "Fehler in Datei " + name + ":\nZeile 2 (kein gültiges Datum): 31.02.2000 X\n" +
                  "Zeile 3 (leere Zeile)");
    EXPECT_EQ(ReportLines(finder.Reports()),
              (std::vector<std::string>{
                  "Fehler beim Öffnen von " + SourceAt(missing).name + ": Datei nicht gefunden",
                  "Fehler in Datei " + name + ", Zeile 2 (kein gültiges Datum): 31.02.2000 X",
                  "Fehler in Datei " + name + ", Zeile 3 (leere Zeile)"}));
    EXPECT_TRUE(ReportMessage(Read({good}).Reports()).empty());
}

TEST_F(JubileeFinderTest, ASingleListKeepsItsUidsAndNoTwoSourcesShareOne)
{
    const QByteArray line = "14.03.1976 Anna wird # alt\n";
    const QString first = Write("a.txt", line);
    const QString second = Write("b.txt", line);
    // The UID a single list has always had: its entry's date and texts, not its source.
    DateList alone;
    alone.Add(1976y / 3 / 14, "Anna wird ", " alt");
    TextOutput calendar;
    ICalendarWriter writer(alone, sys_seconds{});
    writer.Add(calendar.text,
               {static_cast<int>(sys_days{2026y / 3 / 14}.time_since_epoch().count()), 0,
                JubileeCount{50, JubileeKind::Year}, true});
    const std::vector<std::string> before = Uids(calendar.text);
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(Uids(Read({first})), before);
    const std::vector<std::string> both = Uids(Read({first, second}));
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0], before[0]);
    EXPECT_NE(both[1], both[0]);
}

TEST_F(JubileeFinderTest, TheLastDayOfTheCalendarHasNoEndBeyondIt)
{
    const QString list = Write("a.txt", "31.12.9998 Ende # \n");
    TextOutput calendar;
    ASSERT_TRUE(Read({list}).WriteCalendar(MakeScanWindow(9999y / December / 31, 0, 0), calendar,
                                           std::nullopt));
    EXPECT_NE(calendar.text.find("DTSTART;VALUE=DATE:99991231"), std::string::npos);
    EXPECT_EQ(calendar.text.find("DTEND"), std::string::npos);
}

// The quiet note at login, from the window's rows (14.03.2026 to 21.03.2026).
struct NoteCase {
    const char *name;
    const char *list;
    const char *title; // empty: no note at all
    const char *body;
};

class LoginNoteTest : public JubileeFinderTest, public testing::WithParamInterface<NoteCase> {};

TEST_P(LoginNoteTest, SaysTodayFirstAndNothingOnAQuietDay)
{
    const std::optional<LoginNote> note =
        LoginNoteOf(Read({Write("liste.txt", GetParam().list)}), m_march);
    if (*GetParam().title == '\0') {
        EXPECT_FALSE(note.has_value()) << note->title;
        return;
    }
    ASSERT_TRUE(note.has_value());
    EXPECT_EQ(note->title, GetParam().title);
    EXPECT_EQ(note->body, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoginNoteTest,
    testing::Values(
        NoteCase{"QuietWindow", "01.06.1990 Fritz wird # alt\n", "", ""},
        NoteCase{"YearToday", "21.03.1976 Bernd wird # alt\n14.03.1976 Anna wird # alt\n",
                 "Heute ist ein Jahrestag!",
                 "heute, Jahrestag: Anna wird 50 Jahre alt!\n"
                 "21.03.2026: Bernd wird 50 Jahre alt!"},
        NoteCase{"RoundCountToday", "23.11.2025 Hund: # da\n", "Heute: ein Jubiläum",
                 "heute: Hund: 111 Tage da!"},
        NoteCase{"OnlyComing", "20.03.2016 Verein: # Mitglied\n", "Ein Jubiläum in diesen Tagen",
                 "20.03.2026: Verein: 10 Jahre Mitglied!"},
        NoteCase{"ManyRowsCounted",
                 "15.03.2011 A wird # alt\n15.03.2012 B wird # alt\n15.03.2013 C wird # alt\n"
                 "15.03.2014 D wird # alt\n15.03.2015 E wird # alt\n15.03.2016 F wird # alt\n"
                 "15.03.2017 G wird # alt\n15.03.2018 H wird # alt\n15.03.2019 I wird # alt\n",
                 "10 Jubiläen in diesen Tagen",
                 "15.03.2026: A wird 15 Jahre alt!\n15.03.2026: B wird 14 Jahre alt!\n"
                 "15.03.2026: C wird 13 Jahre alt!\n15.03.2026: D wird 12 Jahre alt!\n"
                 "15.03.2026: E wird 11 Jahre alt!\n15.03.2026: F wird 10 Jahre alt!\n"
                 "15.03.2026: G wird 9 Jahre alt!\n15.03.2026: H wird 8 Jahre alt!\n"
                 "… und 2 weitere"},
        NoteCase{"ABadLineIsNotKeptQuiet", "31.02.2000 Niemand\n",
                 "Festmark kann nicht alles lesen",
                 "Nicht jede Quelle ließ sich fehlerfrei lesen; „Anzeigen“ nennt die Fehler."}),
    [](const testing::TestParamInfo<NoteCase> &info) { return std::string(info.param.name); });

} // namespace
