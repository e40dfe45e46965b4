// The main form: caption, grid rows and colours, growth, rescans, messages and the sound.
#include "FestelForm.h"
#include "FlexGrid.h"
#include "Profile.h"
#include "Recorders.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono;

class FestelFormTest : public testing::Test {
protected:
    void SetUp() override
    {
        ForgetSettings();
        m_list = m_dir.filePath("Festmark.txt");
        WriteProfileString("Settings", "FilePath", m_list);
    }

    CFestelForm &Form(year_month_day today = 2026y / March / 14)
    {
        m_form = std::make_unique<CFestelForm>(m_boxes, m_sounds);
        m_form->m_today = [today] {
            return today;
        };
        m_form->OnInitialUpdate();
        return *m_form;
    }

    void List(const QByteArray &content) { WriteFile(m_list, content); }

    // The stored scan window: days back and days ahead of today.
    static void StoreWindow(int back, int ahead)
    {
        WriteProfileInt("Settings", "Startday", back);
        WriteProfileInt("Settings", "Stopday", ahead);
    }

    QString Caption() const
    {
        return qobject_cast<QLabel *>(m_form->Controls().value(1031))->text();
    }

    QTemporaryDir m_dir;
    QString m_list;
    RecordingBoxes m_boxes;
    RecordingSounds m_sounds;
    std::unique_ptr<CFestelForm> m_form;
};

TEST_F(FestelFormTest, CaptionIsEmptyUntilTheFirstScan)
{
    List("14.03.1976 Anna wird # alt\n");
    CFestelForm &form = Form();
    EXPECT_EQ(Caption(), "");
    form.RunScan();
    EXPECT_EQ(Caption(), QString::fromUtf8("Jubiläen vom 12.03.2026 bis zum 21.03.2026"));
    EXPECT_EQ(form.m_rangeText, Caption());
}

TEST_F(FestelFormTest, ScanWithoutHitsLeavesOnlyTheHeader)
{
    List("01.01.2000 x\n");
    CFestelForm &form = Form();
    EXPECT_EQ(form.m_grid->GetRowCount(), 12); // as designed, before the first scan
    form.RunScan();
    EXPECT_EQ(form.m_grid->GetRowCount(), 1);
    EXPECT_EQ(form.m_grid->CellText(0, 0), "Datum");
    EXPECT_EQ(form.m_grid->CellText(0, 1), "Meldung");
    EXPECT_EQ(form.m_grid->model()->headerData(1, Qt::Horizontal).toString(), "Meldung");
    EXPECT_TRUE(m_boxes.texts.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the wait cursor is gone
}

struct ColourCase {
    const char *name;
    int row;
    const char *date;
    std::optional<unsigned long> dateBack, dateFore, messageBack;
};

class FormColourTest : public FestelFormTest, public testing::WithParamInterface<ColourCase> {};

TEST_P(FormColourTest, ColoursCellsByTodayAndYearJubilee)
{
    // Today and tomorrow: a year jubilee today, a day count today, a year jubilee tomorrow
    // and a day count tomorrow.
    List("14.03.1976 Anna wird # alt\n15.03.2000 Bert wird # alt\n13.03.2026 Seit #\n");
    StoreWindow(0, 1);
    CFestelForm &form = Form();
    form.RunScan();
    ASSERT_EQ(form.m_grid->GetRowCount(), 5);
    const ColourCase &c = GetParam();
    const QAbstractItemModel *view = form.m_grid->model();
    EXPECT_EQ(form.m_grid->CellText(c.row, 0), c.date);
    EXPECT_EQ(form.m_grid->CellBackColour(c.row, 0), c.dateBack);
    EXPECT_EQ(form.m_grid->CellForeColour(c.row, 0), c.dateFore);
    EXPECT_EQ(form.m_grid->CellBackColour(c.row, 1), c.messageBack);
    EXPECT_EQ(form.m_grid->CellForeColour(c.row, 1), std::nullopt);
    // What the view paints: the same colours as QColor, none where none is set.
    const QVariant back = view->data(view->index(c.row - 1, 0), Qt::BackgroundRole);
    EXPECT_EQ(back.isValid(), c.dateBack.has_value());
    if (c.dateBack == colour::kRed) {
        EXPECT_EQ(back.value<QColor>(), QColor(Qt::red));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, FormColourTest,
    testing::Values(
        ColourCase{"TodayAndYear", 1, "14.03.2026", colour::kRed, colour::kYellow, colour::kYellow},
        ColourCase{"TodayOnly", 2, "14.03.2026", colour::kRed, colour::kWhite, std::nullopt},
        ColourCase{"YearOnly", 3, "15.03.2026", colour::kYellow, std::nullopt, colour::kYellow},
        ColourCase{"Neither", 4, "15.03.2026", std::nullopt, std::nullopt, std::nullopt}),
    [](const auto &info) { return info.param.name; });

TEST_F(FestelFormTest, GridGrowsBy128WhenTheRowAfterTheLastIsWritten)
{
    List("");
    CFestelForm &form = Form();
    form.RunScan();
    form.m_nextRow = 1;
    form.m_grid->SetRowCount(128);
    for (int hit = 1; hit <= 127; ++hit)
        form.AppendResultRow("01.01.2026", "x", false, false);
    EXPECT_EQ(form.m_grid->GetRowCount(), 128);
    form.AppendResultRow("01.01.2026", "128th", false, false);
    EXPECT_EQ(form.m_grid->GetRowCount(), 256);
    EXPECT_EQ(form.m_grid->CellText(128, 1), "128th");
    EXPECT_EQ(form.m_nextRow, 129);
}

TEST_F(FestelFormTest, RescanClearsEveryOldRow)
{
    QByteArray many;
    for (int i = 0; i < 300; ++i)
        many += "14.03.2000 Eintrag #\n";
    List(many);
    StoreWindow(0, 0);
    CFestelForm &form = Form();
    form.RunScan();
    EXPECT_EQ(form.m_grid->GetRowCount(), 301);
    List("14.03.1976 Anna wird # alt\n");
    form.RunScan();
    ASSERT_EQ(form.m_grid->GetRowCount(), 2);
    EXPECT_EQ(form.m_grid->CellText(1, 1), "Anna wird 50 Jahre alt!");
}

TEST_F(FestelFormTest, MissingFileGivesOneBoxAndTheWindowsCaption)
{
    CFestelForm &form = Form();
    form.RunScan();
    ASSERT_EQ(m_boxes.texts.size(), 1);
    EXPECT_EQ(m_boxes.texts[0],
              QString::fromUtf8("Fehler beim Öffnen von ") + QDir::toNativeSeparators(m_list));
    EXPECT_EQ(form.m_grid->GetRowCount(), 1);
    EXPECT_EQ(Caption(), QString::fromUtf8("Jubiläen vom 12.03.2026 bis zum 21.03.2026"));
    EXPECT_EQ(form.m_progress->value(), 0);
}

TEST_F(FestelFormTest, BadLinesGiveOneBoxPerScan)
{
    List("14.03.1976 Anna wird # alt\n\nkein Datum\n");
    CFestelForm &form = Form();
    form.RunScan();
    ASSERT_EQ(m_boxes.texts.size(), 1);
    EXPECT_TRUE(m_boxes.texts[0].startsWith("Fehler in Datei"));
    EXPECT_TRUE(m_boxes.texts[0].contains("Zeile 2: \nZeile 3: kein Datum"));
    EXPECT_EQ(form.m_grid->GetRowCount(), 2); // the rest is still scanned
    form.RunScan();
    EXPECT_EQ(m_boxes.texts.size(), 2);
}

TEST_F(FestelFormTest, ProgressRangeCoversTheWindowAndEndsEmpty)
{
    List("");
    StoreWindow(0, 0);
    CFestelForm &zero = Form();
    zero.RunScan();
    EXPECT_EQ(zero.m_progress->maximum(), 0);
    StoreWindow(2, 7);
    CFestelForm &form = Form();
    form.RunScan();
    EXPECT_EQ(form.m_progress->minimum(), 0);
    EXPECT_EQ(form.m_progress->maximum(), 9);
    EXPECT_EQ(form.m_progress->value(), 0);
}

TEST_F(FestelFormTest, TwoYearJubileesTodayStartTheSoundOnceAndARescanAgain)
{
    List("14.03.1976 Anna wird # alt\n14.03.2000 Bert wird # alt\n");
    CFestelForm &form = Form();
    form.RunScan();
    EXPECT_EQ(m_sounds.events, QStringList{"play 151"});
    EXPECT_TRUE(g_todaySoundPlayed);
    form.RunScan();
    EXPECT_EQ(m_sounds.events, (QStringList{"play 151", "play 151"}));
}

TEST_F(FestelFormTest, OtherJubileesStartNoSound)
{
    // A year jubilee tomorrow and a month jubilee today.
    List("15.03.1976 Anna wird # alt\n14.02.2026 Seit # \n");
    StoreWindow(0, 1);
    CFestelForm &form = Form();
    form.RunScan();
    EXPECT_EQ(form.m_grid->GetRowCount(), 3);
    EXPECT_TRUE(m_sounds.events.isEmpty());
    EXPECT_FALSE(g_todaySoundPlayed);
}

TEST_F(FestelFormTest, DestructorSavesTheSettingsAndTheAutostartEntry)
{
    List("");
    {
        CFestelForm &form = Form();
        form.m_startDays = 5;
        m_form.reset();
    }
    QSettings stored(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Settings/Startday").toInt(), 5);
    EXPECT_EQ(stored.value("Settings/FilePath").toString(), m_list);
    EXPECT_TRUE(QFile::exists(ConfigHome() + "/autostart/Festmark.desktop"));
}

} // namespace
