// The main form: caption, rows and colours, rescans, messages, the sound, keys and saving.
#include "FestelForm.h"
#include "FlexGrid.h"
#include "Recorders.h"
#include "Services.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

using namespace std::chrono;

CMSFlexGrid &Grid(const CFestelForm &form)
{
    return *form.findChild<CMSFlexGrid *>("resultGrid");
}

QProgressBar &Progress(const CFestelForm &form)
{
    return *form.findChild<QProgressBar *>("progressBar");
}

class FestelFormTest : public testing::Test {
protected:
    void SetUp() override { StartWithDateList(m_dir.path(), ""); }

    CFestelForm &Form(year_month_day today = 2026y / March / 14)
    {
        m_form = std::make_unique<CFestelForm>(m_boxes, m_sounds);
        m_form->SetToday([today] { return today; });
        m_form->OnInitialUpdate();
        return *m_form;
    }

    void List(const QByteArray &content) { WriteFile(m_dir.filePath("Festmark.txt"), content); }

    // The stored scan window: days back and days ahead of today.
    static void StoreWindow(int back, int ahead)
    {
        StoreSetting("Startday", back);
        StoreSetting("Stopday", ahead);
    }

    QString Caption() const { return ShownCaption(*m_form); }
    QStringList Rows() const { return ShownRows(*m_form); }

    QTemporaryDir m_dir;
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
}

TEST_F(FestelFormTest, ScanWithoutHitsLeavesOnlyTheHeader)
{
    List("01.01.2000 x\n");
    CFestelForm &form = Form();
    form.RunScan();
    EXPECT_EQ(Rows(), QStringList());
    const QAbstractItemModel *model = Grid(form).model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Datum");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Meldung");
    EXPECT_GT(Grid(form).columnWidth(0), // a date fits its column in any font
              Grid(form).fontMetrics().horizontalAdvance("00.00.0000"));
    EXPECT_TRUE(m_boxes.texts.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the wait cursor is gone
}

TEST(WaitCursorTest, ShowsOnlyOnceTheWorkHasTakenItsDelayAndGoesWithTheScope)
{
    {
        WaitCursor quick(std::chrono::hours(1));
        quick.Update();
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    {
        WaitCursor slow(std::chrono::milliseconds(0));
        slow.Update();
        slow.Update();
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

struct ColourCase {
    const char *name;
    int row;
    std::optional<QColor> dateBack, dateText, messageBack, messageText;
};

class FormColourTest : public FestelFormTest, public testing::WithParamInterface<ColourCase> {};

TEST_P(FormColourTest, ColoursCellsByTodayAndYearJubileeWithReadableText)
{
    // Today and tomorrow: a year jubilee today, a day count today, a year jubilee tomorrow
    // and a day count tomorrow.
    List("14.03.1976 Anna wird # alt\n15.03.2000 Bert wird # alt\n13.03.2026 Seit #\n");
    StoreWindow(0, 1);
    Form().RunScan();
    ASSERT_EQ(Rows().size(), 4);
    const ColourCase &c = GetParam();
    const QAbstractItemModel *model = Grid(*m_form).model();
    const auto colour = [model, &c](int column, Qt::ItemDataRole role) -> std::optional<QColor> {
        const QVariant value = model->index(c.row, column).data(role);
        return value.isValid() ? std::optional(value.value<QColor>()) : std::nullopt;
    };
    EXPECT_EQ(colour(0, Qt::BackgroundRole), c.dateBack);
    EXPECT_EQ(colour(0, Qt::ForegroundRole), c.dateText);
    EXPECT_EQ(colour(1, Qt::BackgroundRole), c.messageBack);
    EXPECT_EQ(colour(1, Qt::ForegroundRole), c.messageText);
}

const QColor kRed(255, 0, 0), kYellow(255, 255, 0), kWhite(255, 255, 255), kBlack(0, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Flags, FormColourTest,
    testing::Values(ColourCase{"TodayAndYear", 0, kRed, kYellow, kYellow, kBlack},
                    ColourCase{"TodayOnly", 1, kRed, kWhite, std::nullopt, std::nullopt},
                    ColourCase{"YearOnly", 2, kYellow, kBlack, kYellow, kBlack},
                    ColourCase{"Neither", 3, std::nullopt, std::nullopt, std::nullopt,
                               std::nullopt}),
    [](const auto &info) { return info.param.name; });

TEST_F(FestelFormTest, YearRowsStayReadableOnADarkDesktop)
{
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, Qt::white);
    QApplication::setPalette(dark);
    List("15.03.1976 Anna wird # alt\n");
    StoreWindow(0, 1);
    CFestelForm &form = Form();
    form.show();
    form.RunScan();
    const QRect cell = Grid(form).visualRect(Grid(form).model()->index(0, 1));
    const QImage shot = Grid(form).viewport()->grab(cell).toImage();
    QApplication::setPalette(light);
    int dark_pixels = 0;
    int white_pixels = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor pixel = shot.pixelColor(x, y);
            dark_pixels += pixel.lightness() < 80 ? 1 : 0;
            white_pixels += pixel.blue() > 200 ? 1 : 0; // yellow has no blue
        }
    }
    EXPECT_GT(dark_pixels, 20); // the message, drawn dark on yellow
    EXPECT_EQ(white_pixels, 0);
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
    EXPECT_EQ(Rows().size(), 300);
    List("14.03.1976 Anna wird # alt\n");
    form.RunScan();
    EXPECT_EQ(Rows(), QStringList{"14.03.2026 | Anna wird 50 Jahre alt!"});
}

TEST_F(FestelFormTest, MissingFileGivesOneBoxAndTheWindowsCaption)
{
    QFile::remove(m_dir.filePath("Festmark.txt"));
    CFestelForm &form = Form();
    form.RunScan();
    EXPECT_EQ(m_boxes.texts, QStringList{QString::fromUtf8("Fehler beim Öffnen von ") +
                                         QDir::toNativeSeparators(m_dir.filePath("Festmark.txt")) +
                                         ": Datei nicht gefunden"});
    EXPECT_EQ(Rows(), QStringList());
    EXPECT_EQ(Caption(), QString::fromUtf8("Jubiläen vom 12.03.2026 bis zum 21.03.2026"));
    EXPECT_EQ(Progress(form).value(), 0);
}

TEST_F(FestelFormTest, AFirstStartWithoutAListOffersTheExampleOnceAndSaysItStartsAtLogin)
{
    // The default place, beside the program, with no list there yet.
    const QString beside = DefaultFilePath(QCoreApplication::applicationFilePath());
    QFile::remove(beside);
    CFestelForm &form = Form();
    Settings settings = form.CurrentSettings();
    settings.filePath = beside;
    form.ApplySettings(settings);
    m_boxes.texts.clear();
    m_boxes.answer = 0; // "Mit der Beispielliste beginnen"
    form.RunScan();
    ASSERT_EQ(m_boxes.asked.size(), 1);
    EXPECT_EQ(m_boxes.asked[0].size(), 3);
    EXPECT_TRUE(m_boxes.texts[0].contains(QString::fromUtf8("„Optionen“, „automatisch starten“")));
    EXPECT_EQ(m_boxes.opened, QStringList{beside}); // in the user's editor
    QCoreApplication::processEvents();              // the scan of the new list
    EXPECT_TRUE(ShownRows(form).contains("19.03.2026 | Noch -40 Wochen bis Heiligabend!"))
        << ShownRows(form).join('\n').toStdString();
    QFile::remove(beside);
    form.RunScan(); // missing again: now the plain reason, the offer was made once
    EXPECT_EQ(m_boxes.asked.size(), 1);
    EXPECT_TRUE(m_boxes.texts.constLast().contains("Datei nicht gefunden"));
}

// Answers the first start's box as a user who meanwhile put their own list in its place.
struct ListAppearsBehindTheBox : RecordingBoxes {
    int Ask(QWidget *parent, const QString &text, const QStringList &buttons) override
    {
        WriteFile(path, "14.03.1976 Anna wird # alt\n");
        return RecordingBoxes::Ask(parent, text, buttons);
    }
    QString path;
};

TEST_F(FestelFormTest, AListThatAppearsBehindTheFirstStartsBoxIsNeverReplaced)
{
    const QString beside = DefaultFilePath(QCoreApplication::applicationFilePath());
    QFile::remove(beside);
    ListAppearsBehindTheBox boxes;
    boxes.path = beside;
    boxes.answer = 0; // "Mit der Beispielliste beginnen"
    CFestelForm form(boxes, m_sounds);
    form.SetToday([] { return 2026y / March / 14; });
    Settings settings = form.CurrentSettings();
    settings.filePath = beside;
    form.ApplySettings(settings);
    form.RunScan();
    QCoreApplication::processEvents(); // the scan of the list found there
    QFile kept(beside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "14.03.1976 Anna wird # alt\n");
    EXPECT_EQ(ShownRows(form), QStringList{"14.03.2026 | Anna wird 50 Jahre alt!"});
    EXPECT_TRUE(boxes.opened.isEmpty());
    QFile::remove(beside);
}

TEST_F(FestelFormTest, BadLinesGiveOneBoxPerScanAndTheRestIsScanned)
{
    List("14.03.1976 Anna wird # alt\n\nkein Datum\n");
    CFestelForm &form = Form();
    form.RunScan();
    ASSERT_EQ(m_boxes.texts.size(), 1);
    EXPECT_TRUE(m_boxes.texts[0].startsWith("Fehler in Datei"));
    EXPECT_TRUE(m_boxes.texts[0].contains(
        "Zeile 2 (leere Zeile)\nZeile 3 (kein gültiges Datum): kein Datum"));
    EXPECT_EQ(Rows().size(), 1);
    form.RunScan();
    EXPECT_EQ(m_boxes.texts.size(), 2);
}

TEST_F(FestelFormTest, ProgressRangeCoversTheWindowAndEndsEmpty)
{
    StoreWindow(0, 0);
    Form().RunScan();
    EXPECT_EQ(Progress(*m_form).maximum(), 0);
    StoreWindow(2, 7);
    CFestelForm &form = Form();
    form.RunScan();
    EXPECT_EQ(Progress(form).minimum(), 0);
    EXPECT_EQ(Progress(form).maximum(), 9);
    EXPECT_EQ(Progress(form).value(), 0);
}

TEST_F(FestelFormTest, TwoYearJubileesTodayStartTheSoundOnceAndARescanAgain)
{
    List("14.03.1976 Anna wird # alt\n14.03.2000 Bert wird # alt\n");
    CFestelForm &form = Form();
    form.RunScan();
    EXPECT_EQ(m_sounds.events, QStringList{"play 151"});
    form.RunScan();
    EXPECT_EQ(m_sounds.events, (QStringList{"play 151", "play 151"}));
}

TEST_F(FestelFormTest, OtherJubileesStartNoSound)
{
    // A year jubilee tomorrow and a month jubilee today.
    List("15.03.1976 Anna wird # alt\n14.02.2026 Seit # \n");
    StoreWindow(0, 1);
    Form().RunScan();
    EXPECT_EQ(Rows().size(), 2);
    EXPECT_TRUE(m_sounds.events.isEmpty());
}

TEST_F(FestelFormTest, AnAddressBookOpensWithoutABoxAndAYearlessBirthdayTodayPlays)
{
    List("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nur Telefon\r\nTEL:030 1\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna\r\nBDAY:--03-14\r\nEND:VCARD\r\n");
    Form().RunScan();
    EXPECT_TRUE(m_boxes.texts.isEmpty());
    EXPECT_EQ(Rows(), QStringList{"14.03.2026 | Anna hat Geburtstag!"});
    EXPECT_EQ(m_sounds.events, QStringList{"play 151"});
}

TEST_F(FestelFormTest, ScreenReadersHearWhatTheColoursSayAndTheListOffersCopying)
{
    List("14.03.1976 Anna wird # alt\n14.02.2026 Seit # dabei\n15.03.1976 Bert wird # alt\n");
    StoreWindow(0, 1);
    CFestelForm &form = Form();
    form.RunScan();
    const QAbstractItemView *grid = form.findChild<QAbstractItemView *>("resultGrid");
    QStringList said;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        said << grid->model()->index(row, 1).data(Qt::AccessibleDescriptionRole).toString();
    EXPECT_EQ(said, (QStringList{"heute, Jahrestag", "heute", "Jahrestag"}));
    EXPECT_EQ(grid->accessibleName(), QString::fromUtf8("Jubiläen"));
    QStringList menu;
    for (const QAction *action : grid->actions())
        menu << action->text().section('\t', 0, 0);
    EXPECT_EQ(menu,
              (QStringList{"&Kopieren", QString::fromUtf8("&Alle auswählen"), "A&usblenden"}));
    EXPECT_EQ(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
}

TEST_F(FestelFormTest, AnEntryHiddenByTheMenuKeyStaysHiddenUntilShownAgain)
{
    List("14.03.1976 Anna wird # alt\n14.03.2000 Bert wird # alt\n");
    StoreWindow(0, 0);
    CFestelForm &form = Form();
    form.show();
    form.RunScan();
    ASSERT_EQ(Rows().size(), 2);
    Grid(form).setFocus();
    Grid(form).selectRow(0); // Anna
    // The Menu key opens the list's menu; "u" is "Ausblenden".
    QTimer::singleShot(0, [] {
        QWidget *menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, Qt::Key_U);
    });
    // The Menu key, as Qt hands it to the focused list.
    const QPoint at = Grid(form).visualRect(Grid(form).model()->index(0, 1)).center();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at, Grid(form).mapToGlobal(at));
    QApplication::sendEvent(&Grid(form), &menuKey);
    EXPECT_EQ(Rows(), QStringList{"14.03.2026 | Bert wird 26 Jahre alt!"});
    const QStringList hidden = LoadSettings(QString()).hidden;
    ASSERT_EQ(hidden.size(), 1);
    // Another line added above it does not bring it back.
    List("01.01.2001 Neu\n14.03.1976 Anna wird # alt\n14.03.2000 Bert wird # alt\n");
    form.RunScan();
    EXPECT_EQ(Rows(), QStringList{"14.03.2026 | Bert wird 26 Jahre alt!"});
    // "Ausgeblendete..." in the options shows it again.
    QTimer::singleShot(0, [] {
        QWidget *options = QApplication::activeModalWidget();
        ASSERT_NE(options, nullptr);
        QTimer::singleShot(0, [] {
            QWidget *list = QApplication::activeModalWidget();
            ASSERT_EQ(list->windowTitle(), "Ausgeblendete");
            for (QPushButton *button : list->findChildren<QPushButton *>()) {
                if (button->text() == "&Wieder anzeigen")
                    button->click();
            }
            QTest::keyClick(list, Qt::Key_Return);
        });
        options->findChild<QPushButton *>("hiddenButton")->click();
        QTest::keyClick(options, Qt::Key_Return);
    });
    form.OnOptionsButton();
    EXPECT_EQ(Rows().size(), 2);
    EXPECT_TRUE(LoadSettings(QString()).hidden.isEmpty());
}

TEST_F(FestelFormTest, DestructorSavesTheSettingsAndTheAutostartEntry)
{
    Settings settings = Form().CurrentSettings();
    settings.startDays = 5;
    m_form->ApplySettings(settings);
    m_form.reset();
    EXPECT_EQ(StoredValue("Startday").toInt(), 5);
    EXPECT_EQ(StoredValue("FilePath").toString(), m_dir.filePath("Festmark.txt"));
    EXPECT_FALSE(LoginEntry().isEmpty());
}

TEST_F(FestelFormTest, TabGoesFromTheGridToTheThreeButtonsAndReturnExits)
{
    CFestelForm &form = Form();
    const auto button = [&form](const char *name) {
        return form.findChild<QPushButton *>(name);
    };
    EXPECT_EQ(TabStops(&form), (QList<QWidget *>{&Grid(form), button("infoButton"),
                                                 button("optionsButton"), button("exitButton")}));
    EXPECT_TRUE(button("exitButton")->isDefault());
    QSignalSpy exits(&form, &CFestelForm::exitRequested);
    QTest::keyClick(&Grid(form), Qt::Key_Return);
    EXPECT_EQ(exits.count(), 1);
    button("optionsButton")->setFocus();
    bool optionsOpened = false;
    WhenModalShown([&optionsOpened](QWidget *modal) {
        optionsOpened = modal->windowTitle() == "Festmark-Optionen";
    });
    QTest::keyClick(button("optionsButton"), Qt::Key_Return); // a focused button takes Return
    EXPECT_TRUE(optionsOpened);
    EXPECT_EQ(exits.count(), 1);
}

TEST_F(FestelFormTest, ClickingALongMessageKeepsTheDatesInSight)
{
    List("14.03.1976 Anna wird # alt und hat einen sehr, sehr, sehr langen Text, der nicht "
         "in die Spalte passt\n");
    CFestelForm &form = Form();
    form.show();
    form.RunScan();
    ASSERT_GT(Grid(form).horizontalScrollBar()->maximum(), 0);
    const QRect message = Grid(form).visualRect(Grid(form).model()->index(0, 1));
    QTest::mouseClick(Grid(form).viewport(), Qt::LeftButton, {}, message.center());
    EXPECT_EQ(Grid(form).horizontalScrollBar()->value(), 0);
}

TEST_F(FestelFormTest, ShowsTodaysFirstRowSelectedAndCopiesSelectedRows)
{
    List("13.03.1976 Anna wird # alt\n14.03.2000 Bert wird # alt\n14.03.1990 Cem wird # alt\n");
    CFestelForm &form = Form();
    form.show();
    form.RunScan();
    const QModelIndexList selected = Grid(form).selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 1); // Bert, the first of today's two rows
    Grid(form).selectionModel()->select(Grid(form).model()->index(2, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(&Grid(form), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "14.03.2026\tBert wird 26 Jahre alt!\n14.03.2026\tCem wird 36 Jahre alt!\n");
}

TEST_F(FestelFormTest, OnlyAMessageWiderThanItsColumnHasATooltipAndItIsNoMarkup)
{
    List("14.03.2000 Kurz #\n14.03.1976 <img src=/dev/zero>Anna wird # alt und hat einen sehr, "
         "sehr langen Text, der nicht in die Spalte passt\n");
    CFestelForm &form = Form();
    form.show();
    form.RunScan();
    const auto tooltipOver = [&form](int row) {
        const QRect cell = Grid(form).visualRect(Grid(form).model()->index(row, 1));
        QHelpEvent help(QEvent::ToolTip, cell.center(),
                        Grid(form).viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(Grid(form).viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tooltipOver(0), "");
    const QString tooltip = tooltipOver(1);
    EXPECT_TRUE(tooltip.contains("&lt;img src=/dev/zero&gt;Anna")) << tooltip.toStdString();
    EXPECT_TRUE(tooltip.contains("nicht in die Spalte passt!"));
}

TEST(MessageBoxTest, ShowsTheUsersTextsAsTextNeverAsMarkup)
{
    Qt::TextFormat format = Qt::AutoText;
    WhenModalShown(
        [&format](QWidget *modal) { format = qobject_cast<QMessageBox *>(modal)->textFormat(); });
    MessageBoxService().Show(nullptr, "Fehler beim Öffnen von <img src=/dev/zero>: Datei nicht "
                                      "gefunden");
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(FestelFormTest, ExportsTheRowsShownAsACalendarOrSaysWhyNot)
{
    List("14.03.1976 Anna wird # alt\n24.12.2026 Noch # bis Heiligabend\n");
    CFestelForm &form = Form();
    form.RunScan();
    const QString ics = m_dir.filePath("Festmark.ics");
    form.SetSaveCalendarDialog([&ics](QWidget *, const QString &) {
        return CalendarExportChoice{ics, std::nullopt};
    });
    form.OnExportCalendar();
    QFile calendar(ics);
    ASSERT_TRUE(calendar.open(QIODevice::ReadOnly));
    const QByteArray text = calendar.readAll();
    calendar.close();
    EXPECT_TRUE(text.startsWith("BEGIN:VCALENDAR\r\n"));
    EXPECT_EQ(text.count("BEGIN:VEVENT"), Rows().size());
    EXPECT_TRUE(text.contains("DTSTART;VALUE=DATE:20260314\r\nDTEND;VALUE=DATE:20260315\r\n"
                              "SUMMARY:Anna wird 50 Jahre alt!\r\n"));
    EXPECT_TRUE(m_boxes.texts.isEmpty());

    form.SetSaveCalendarDialog([this](QWidget *, const QString &) {
        return CalendarExportChoice{m_dir.filePath("fehlt/x.ics"), std::nullopt};
    });
    form.OnExportCalendar();
    ASSERT_EQ(m_boxes.texts.size(), 1);
    EXPECT_TRUE(m_boxes.texts[0].startsWith("Fehler beim Schreiben von "))
        << m_boxes.texts[0].toStdString();

    // Never over the date list, and the reminder asked for is in every event.
    form.SetSaveCalendarDialog([this](QWidget *, const QString &) {
        return CalendarExportChoice{m_dir.filePath("Festmark.txt"), 2};
    });
    form.OnExportCalendar();
    ASSERT_EQ(m_boxes.texts.size(), 2);
    EXPECT_TRUE(m_boxes.texts[1].contains("die Datumsliste selbst"));
    form.SetSaveCalendarDialog([&ics](QWidget *, const QString &) {
        return CalendarExportChoice{ics, 2};
    });
    form.OnExportCalendar();
    ASSERT_TRUE(calendar.open(QIODevice::ReadOnly));
    EXPECT_EQ(calendar.readAll().count("TRIGGER:-P1DT15H\r\n"), Rows().size());
    QFile list(m_dir.filePath("Festmark.txt"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), "14.03.1976 Anna wird # alt\n24.12.2026 Noch # bis Heiligabend\n");
}

TEST(MidnightTest, AnOpenWindowScansAgainJustAfterMidnight)
{
    const QDate day(2026, 12, 7);
    EXPECT_EQ(MsecsToNextDay(QDateTime(day, QTime(23, 59, 59))), 2000);
    EXPECT_EQ(MsecsToNextDay(QDateTime(day, QTime(0, 0, 0))), 24 * 3600 * 1000 + 1000);
}

struct SkippedMidnight {
    const char *zone;
    QDate day; // whose next midnight, or next day, does not exist
};

class SkippedMidnightTest : public testing::TestWithParam<SkippedMidnight> {};

TEST_P(SkippedMidnightTest, TheWaitIsHoursNotASecond)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows' own zone data lacks these transitions";
#endif
    const SkippedMidnight &c = GetParam();
    const QTimeZone zone(c.zone);
    ASSERT_TRUE(zone.isValid()) << c.zone;
    // From noon, 12 hours pass until the next day's first moment that exists.
    EXPECT_EQ(MsecsToNextDay(QDateTime(c.day, QTime(12, 0), zone)), 12 * 3600 * 1000 + 1000);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, SkippedMidnightTest,
    testing::Values(SkippedMidnight{"America/Havana", QDate(2026, 3, 7)},
                    SkippedMidnight{"America/Santiago", QDate(2026, 9, 5)},
                    SkippedMidnight{"Pacific/Apia", QDate(2011, 12, 29)},        // 30th skipped
                    SkippedMidnight{"Pacific/Kiritimati", QDate(1994, 12, 30)}), // 31st skipped
    [](const auto &info) {
        return QString::fromLatin1(info.param.zone).section('/', 1).toStdString();
    });

} // namespace

// The window follows its sources on disk, as editors save them.
class FollowTest : public FestelFormTest {
protected:
    // Saved the way many editors save: a new file renamed over the old one.
    void SaveByRename(const QByteArray &content)
    {
        const QString temporary = m_dir.filePath("Festmark.txt.neu");
        WriteFile(temporary, content);
        QFile::remove(m_dir.filePath("Festmark.txt"));
        ASSERT_TRUE(QFile::rename(temporary, m_dir.filePath("Festmark.txt")));
    }
    void Append(const QByteArray &line)
    {
        QFile file(m_dir.filePath("Festmark.txt"));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(line);
    }
};

TEST_F(FollowTest, AChangeOnDiskIsScannedAgainWithoutRepeatingTheBoxOrTheSound)
{
    StoreWindow(0, 7);
    List("14.03.1976 Anna wird # alt\n31.02.2000 Niemand\n");
    CFestelForm &form = Form();
    form.RunScan();
    ASSERT_EQ(Rows().size(), 1);
    ASSERT_EQ(m_boxes.texts.size(), 1);
    ASSERT_EQ(m_sounds.events, QStringList{"play 151"});

    // Another program appends a line: the same bad line, the same sound's row.
    Append("20.03.2016 Verein: # Mitglied\n");
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 2, 5000);
    EXPECT_EQ(m_boxes.texts.size(), 1);
    EXPECT_EQ(m_sounds.events, QStringList{"play 151"});

    // Saved by a rename, with a new problem: told, and Anna's sound ends with her line.
    SaveByRename("20.03.2016 Verein: # Mitglied\n32.01.2000 Keiner\n");
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 1, 5000);
    EXPECT_EQ(m_boxes.texts.size(), 2);
    EXPECT_EQ(m_sounds.events, (QStringList{"play 151", "stop"}));

    // The file renamed over is still followed.
    Append("15.03.1976 Bernd wird # alt\n");
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 2, 5000);
}
