// The main frame and start-up: title, fixed size, menu, the ways out, and the command line.
#include "MainFrame.h"
#include "FestelForm.h"
#include "FestmarkApp.h"
#include "FlexGrid.h"
#include "HelpWindow.h"
#include "Profile.h"
#include "Recorders.h"

#include <QApplication>
#include <QIcon>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class MainFrameTest : public testing::Test {
protected:
    void SetUp() override { StartWithDateList(m_dir.path(), "14.03.1976 Anna wird # alt\n"); }

    void TearDown() override
    {
        QList<QPointer<QWidget>> windows;
        for (QWidget *widget : QApplication::topLevelWidgets())
            windows.append(widget);
        for (const QPointer<QWidget> &widget : windows)
            delete widget.data(); // a frame takes its menus along
    }

    static void DeleteClosedWindows()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir m_dir;
    RecordingBoxes m_boxes;
    RecordingSounds m_sounds;
};

TEST_F(MainFrameTest, StartsAsOneFixedWindowTitledWithItsVersionAndScans)
{
    CFestmarkApp app(m_boxes, m_sounds);
    QString error;
    ASSERT_TRUE(app.InitInstance({"festmark"}, error));
    CMainFrame *frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), "Festmark 4.1");
    const QList<QSize> iconSizes = frame->windowIcon().availableSizes();
    for (const int size : {16, 32, 48, 256})
        EXPECT_TRUE(iconSizes.contains(QSize(size, size))) << size;
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    CFestelForm *form = frame->GetActiveView();
    EXPECT_GE(frame->width(), form->width());
    EXPECT_FALSE(form->m_rangeText.isEmpty()); // the first scan has run
    EXPECT_EQ(form->m_grid->CellText(0, 0), "Datum");
}

TEST_F(MainFrameTest, UnknownArgumentsShowNothing)
{
    CFestmarkApp app(m_boxes, m_sounds);
    QString error;
    EXPECT_FALSE(app.InitInstance({"festmark", "--kaputt"}, error));
    EXPECT_TRUE(error.contains("--kaputt"));
    EXPECT_EQ(app.MainFrame(), nullptr);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

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
    EXPECT_EQ(items, (QStringList{"&Optionen", "&Beenden", "&Hilfethemen", "-",
                                  QString::fromUtf8("Inf&o über Festmark...")}));
    const QAction *help = frame.menuBar()->actions()[1]->menu()->actions()[0];
    EXPECT_TRUE(help->shortcuts().contains(QKeySequence(Qt::Key_F1)));
}

// Each way out hides the window, stops the sounds and destroys the form, which saves.
struct ExitCase {
    const char *name;
    void (*leave)(CMainFrame &frame);
};

class MainFrameExitTest : public MainFrameTest, public testing::WithParamInterface<ExitCase> {};

TEST_P(MainFrameExitTest, EndsThroughTheFormsDestructor)
{
    QPointer<CMainFrame> frame = new CMainFrame(m_boxes, m_sounds);
    frame->OnInitialUpdate();
    frame->show();
    frame->GetActiveView()->m_startDays = 11;
    GetParam().leave(*frame);
    DeleteClosedWindows();
    EXPECT_TRUE(frame.isNull());
    EXPECT_EQ(m_sounds.events, QStringList{"stop"});
    QSettings stored(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Settings/Startday").toInt(), 11);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MainFrameExitTest,
    testing::Values(ExitCase{"ExitButton",
                             [](CMainFrame &frame) {
                                 qobject_cast<QPushButton *>(
                                     frame.GetActiveView()->Controls().value(1014))
                                     ->click();
                             }},
                    ExitCase{"MenuCommand",
                             [](CMainFrame &frame) {
                                 frame.menuBar()->actions()[0]->menu()->actions()[1]->trigger();
                             }},
                    ExitCase{"CloseBox",
                             [](CMainFrame &frame) {
                                 frame.close();
                             }},
                    ExitCase{"TerminationSignal",
                             [](CMainFrame &frame) {
                                 CloseOnTerminationSignals(&frame);
                                 std::raise(SIGTERM);
                                 QCoreApplication::processEvents();
                             }}),
    [](const auto &info) { return info.param.name; });

TEST_F(MainFrameTest, HelpExplainsTheListTheColoursAndTheOptions)
{
    const QString help = HelpText();
    for (const char *topic : {"Datumsliste", "14.03.1976 Anna wird # alt", "Rot", "Gelb", "Melodie",
                              "Optionen", "3652", "13149"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(topic))) << topic;
    CMainFrame frame(m_boxes, m_sounds);
    bool shown = false;
    QTimer::singleShot(0, [&shown] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            shown = modal->windowTitle() == "Festmark-Hilfe";
            modal->close();
        }
    });
    frame.OnHelpIndex();
    EXPECT_TRUE(shown);
}

} // namespace
