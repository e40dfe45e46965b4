// Start-up, the frame's title, size and menu, and the one way out as the application takes it.
#include "MainFrame.h"
#include "FestelForm.h"
#include "FestmarkApp.h"
#include "HelpWindow.h"
#include "Recorders.h"

#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

QAction *Command(CMainFrame &frame, int menu, int item)
{
    return frame.menuBar()->actions()[menu]->menu()->actions()[item];
}

class MainFrameTest : public testing::Test {
protected:
    void SetUp() override { StartWithDateList(m_dir.path(), "14.03.1976 Anna wird # alt\n"); }

    QTemporaryDir m_dir;
    RecordingBoxes m_boxes;
    RecordingSounds m_sounds;
};

TEST_F(MainFrameTest, StartsAsOneFixedWindowTitledWithItsVersionAndScans)
{
    CFestmarkApp app(m_boxes, m_sounds);
    app.InitInstance();
    CMainFrame *frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), "Festmark " FESTMARK_VERSION);
    const QList<QSize> iconSizes = frame->windowIcon().availableSizes();
    for (const int size : {16, 32, 48})
        EXPECT_TRUE(iconSizes.contains(QSize(size, size))) << size;
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(ShownCaption(*frame).isEmpty()); // the first scan has run
}

// The fixed size follows the font: with fonts smaller, larger or shaped unlike the desktop's
// (as under wine's fallback font), every part of the form lies whole inside the window.
class MainFrameFontTest : public MainFrameTest, public testing::WithParamInterface<int> {};

TEST_P(MainFrameFontTest, EveryPartOfTheFormLiesInsideTheWindow)
{
    const QFont desktop = QApplication::font();
    QFont font(GetParam() > 12 ? QStringLiteral("Serif") : QStringLiteral("Monospace"));
    font.setPointSize(GetParam());
    QApplication::setFont(font);
    {
        CMainFrame frame(m_boxes, m_sounds);
        frame.show();
        frame.OnInitialUpdate();
        QApplication::processEvents();
        const QRect inside = frame.rect();
        for (QWidget *part : frame.GetActiveView()->findChildren<QWidget *>()) {
            if (!part->isVisibleTo(&frame) || part->parentWidget() != frame.GetActiveView())
                continue;
            const QRect where(part->mapTo(&frame, QPoint(0, 0)), part->size());
            EXPECT_TRUE(inside.contains(where))
                << part->metaObject()->className() << " " << part->objectName().toStdString();
        }
    }
    QApplication::setFont(desktop);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainFrameFontTest, testing::Values(7, 9, 14, 24),
                         [](const auto &info) { return std::to_string(info.param) + "pt"; });

TEST_F(MainFrameTest, MenuHasFileAndHelpWithTheirCommands)
{
    CMainFrame frame(m_boxes, m_sounds);
    QStringList menus;
    QStringList items;
    for (QAction *top : frame.menuBar()->actions()) {
        menus.append(top->text());
        for (QAction *item : top->menu()->actions())
            items.append(item->isSeparator() ? "-" : item->text());
    }
    EXPECT_EQ(menus, (QStringList{"&Datei", "&?"}));
    EXPECT_EQ(items, (QStringList{"&Liste bearbeiten...", "&Optionen",
                                  "Als &Kalender exportieren...", "&Beenden", "&Hilfethemen", "-",
                                  QString::fromUtf8("Inf&o über Festmark...")}));
    EXPECT_EQ(Command(frame, 0, 0)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_TRUE(Command(frame, 1, 0)->shortcuts().contains(QKeySequence(Qt::Key_F1)));
    EXPECT_EQ(Command(frame, 0, 3)->shortcut(), QKeySequence(QKeySequence::Quit)); // Ctrl+Q
}

// Each way out of the window reaches the application's one way out; the form, and with it
// the settings, goes with the application after the event loop.
struct ExitCase {
    const char *name;
    void (*leave)(CMainFrame &frame);
};

class MainFrameExitTest : public MainFrameTest, public testing::WithParamInterface<ExitCase> {};

TEST_P(MainFrameExitTest, HidesStopsTheSoundsAndSavesWhenTheApplicationGoes)
{
    auto app = std::make_unique<CFestmarkApp>(m_boxes, m_sounds);
    app->InitInstance();
    CMainFrame &frame = *app->MainFrame();
    Settings settings = frame.GetActiveView()->CurrentSettings();
    settings.startDays = 11;
    frame.GetActiveView()->ApplySettings(settings);
    m_sounds.events.clear();
    GetParam().leave(frame);
    EXPECT_TRUE(app->IsQuitting());
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(m_sounds.events, QStringList{"stop"});
    EXPECT_EQ(app->Run(), 0); // no event loop after a way out
    app.reset();
    EXPECT_EQ(StoredValue("Startday"), 11);
}

INSTANTIATE_TEST_SUITE_P(Ways, MainFrameExitTest,
                         testing::Values(ExitCase{"ExitButton",
                                                  [](CMainFrame &frame) {
                                                      frame.GetActiveView()
                                                          ->findChild<QPushButton *>("exitButton")
                                                          ->click();
                                                  }},
                                         ExitCase{"MenuCommand",
                                                  [](CMainFrame &frame) {
                                                      Command(frame, 0, 3)->trigger();
                                                  }},
                                         ExitCase{"CloseBox",
                                                  [](CMainFrame &frame) {
                                                      frame.close();
                                                  }}),
                         [](const auto &info) { return info.param.name; });

TEST_F(MainFrameTest, AWayOutWithADialogOpenCancelsTheDialogFirst)
{
    CFestmarkApp app(m_boxes, m_sounds);
    app.InitInstance();
    CFestelForm &form = *app.MainFrame()->GetActiveView();
    const Settings before = form.CurrentSettings();
    QWidget *dialog = nullptr;
    WhenModalShown([&](QWidget *modal) {
        dialog = modal;
        modal->findChild<QPushButton *>("browseButton")->setFocus();
        app.Quit();
        EXPECT_FALSE(modal->isVisible());
    });
    form.OnOptionsButton(); // returns once the dialog has ended
    EXPECT_NE(dialog, nullptr);
    EXPECT_EQ(form.CurrentSettings(), before);
    EXPECT_FALSE(app.MainFrame()->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainFrameTest, HelpExplainsTheListTheColoursAndTheOptions)
{
    const QString help = HelpText();
    for (const char *topic : {"Datumsliste", "14.03.1976 Anna wird # alt", "Rot", "Gelb", "Melodie",
                              "Optionen", "3652", "13149"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(topic))) << topic;
    CMainFrame frame(m_boxes, m_sounds);
    frame.OnHelpIndex();
    // Open beside the main window, which stays usable.
    const auto *window = frame.findChild<QDialog *>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Festmark-Hilfe");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    frame.OnHelpIndex(); // again: the same window
    EXPECT_EQ(frame.findChildren<QDialog *>().size(), 1);
}

// Both exports of one list, their DTSTAMP aside: the window's and festmark --ics.
TEST(CalendarAgreementTest, TheWindowsExportAndTheTerminalsGiveTheSameEvents)
{
    QTemporaryDir dir;
    const QByteArray list = "14.03.1976 Anna\twird # alt\n12.03.2025 Bo\x01 # dabei\n";
    StartWithDateList(dir.path(), list);
    RecordingBoxes boxes;
    RecordingSounds sounds;
    CFestelForm form(boxes, sounds);
    form.SetToday([] { return std::chrono::year_month_day{std::chrono::year{2026} / 3 / 14}; });
    form.RunScan();
    const QString path = dir.filePath("Fenster.ics");
    form.SetSaveCalendarDialog([&path](QWidget *, const QString &) {
        return CalendarExportChoice{path, std::nullopt};
    });
    form.OnExportCalendar();
    QFile exported(path);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));

    QProcess festmark;
    festmark.start(FESTMARK_BINARY, {"--ics", "--file", dir.filePath("Festmark.txt"), "--date",
                                     "14.03.2026", "--back", "2", "--ahead", "7"});
    ASSERT_TRUE(festmark.waitForFinished(60000));
    const auto events = [](const QByteArray &text) {
        QByteArrayList lines = text.split('\n');
        lines.removeIf([](const QByteArray &line) { return line.startsWith("DTSTAMP:"); });
        return lines;
    };
    const QByteArrayList window = events(exported.readAll());
    EXPECT_EQ(window.count("BEGIN:VEVENT\r"), 2);
    EXPECT_EQ(window, events(festmark.readAllStandardOutput()));
}

} // namespace
