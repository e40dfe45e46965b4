// The real program on a real display (Xvfb with the openbox window manager), driven as a
// person drives it: keys through xdotool, signals from outside, and the process's own end.
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "HungServer.h"

#include <gtest/gtest.h>

#ifdef _WIN32

// The Windows program's window is driven under wine by tools/windows.sh, on its own X server.
TEST(WindowProcessTest, NeedsAnXServerAndSignals)
{
    GTEST_SKIP() << "the window process tests drive an X display and POSIX signals; "
                    "tools/windows.sh drives the Windows window";
}

#else

#include <csignal>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

// One X server with a window manager for the whole test process.
class Desktop {
public:
    static Desktop &Get()
    {
        static Desktop desktop;
        return desktop;
    }

    bool Ready() const { return !m_display.isEmpty(); }
    const QString &Display() const { return m_display; }
    const QString &WhyNot() const { return m_whyNot; }

    // xdotool with the given arguments; its output, or empty after `timeoutMs`.
    QString Xdotool(const QStringList &arguments, int timeoutMs = 10000) const
    {
        QProcess xdotool;
        xdotool.setProcessEnvironment(Environment());
        xdotool.start("xdotool", arguments);
        if (!xdotool.waitForFinished(timeoutMs)) {
            xdotool.kill();
            xdotool.waitForFinished();
            return {};
        }
        return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("WAYLAND_DISPLAY");
        env.insert("DISPLAY", m_display);
        // A sanitizer build reports leaks of the system libraries a real display loads.
        env.insert("LSAN_OPTIONS", "suppressions=" FESTMARK_LSAN_SUPPRESSIONS);
        return env;
    }

    // A desktop of a test's own, for a test that ends its X server.
    Desktop()
    {
        for (const char *tool : {"Xvfb", "openbox", "xdotool"}) {
            if (QStandardPaths::findExecutable(tool).isEmpty()) {
                m_whyNot =
                    QString("%1 is not installed (tools/install-deps.sh installs it)").arg(tool);
                return;
            }
        }
        // Xvfb picks a free display and names it on standard output.
        m_xvfb.start("Xvfb",
                     {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!m_xvfb.waitForReadyRead(10000)) {
            m_whyNot = "Xvfb did not start: " + QString::fromUtf8(m_xvfb.readAllStandardError());
            return;
        }
        m_display = ":" + QString::fromUtf8(m_xvfb.readLine()).trimmed();
        const QString ready = m_runtime.filePath("openbox-ready");
        m_openbox.setProcessEnvironment(Environment());
        m_openbox.start("openbox", {"--sm-disable", "--startup", "touch " + ready});
        for (int i = 0; i < 100 && !QFile::exists(ready); ++i)
            QThread::msleep(50);
        if (!QFile::exists(ready)) {
            m_whyNot = "openbox did not start";
            m_display.clear();
        }
    }

    void KillServer() { m_xvfb.kill(); }

    ~Desktop()
    {
        for (QProcess *process : {&m_openbox, &m_xvfb}) {
            process->terminate();
            process->waitForFinished(3000);
        }
    }

private:
    QTemporaryDir m_runtime;
    QProcess m_xvfb;
    QProcess m_openbox;
    QString m_display;
    QString m_whyNot;
};

class WindowProcessTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!Desktop::Get().Ready())
            GTEST_SKIP() << "no X server for the window: " << Desktop::Get().WhyNot().toStdString();
        QDir(m_home.path()).mkpath("config/Orvanta");
        QDir(m_home.path()).mkpath("runtime");
        QFile::setPermissions(m_home.filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void TearDown() override
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished();
        }
    }

    // Starts festmark over a date list and waits for its window.
    void Start(const QByteArray &dateList = "14.03.1976 Anna wird # alt\n",
               const QByteArray &window = {})
    {
        const QString list = m_home.filePath("Festmark.txt");
        QFile listFile(list);
        ASSERT_TRUE(listFile.open(QIODevice::WriteOnly));
        listFile.write(dateList);
        listFile.close();
        QFile settings(SettingsFile());
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Settings]\nFilePath=" + list.toUtf8() + "\nauto=0\n" + window);
        settings.close();

        QProcessEnvironment env = m_desktop->Environment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", m_home.filePath("runtime"));
        for (const auto &[name, value] : m_environment)
            env.insert(name, value);
        m_program.setProcessEnvironment(env);
        m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_program.start(FESTMARK_BINARY, {});
        ASSERT_TRUE(m_program.waitForStarted());
    }

    // Waits for a visible window whose title is exactly `title`; its id, or empty.
    QString WaitForWindow(const QString &title) const
    {
        return m_desktop
            ->Xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + title + "$"})
            .section('\n', 0, 0);
    }

    // The main window, once the window manager has taken it over (as quickly as a person).
    QString MainWindow() const
    {
        const QString window =
            WaitForWindow(QRegularExpression::escape(QStringLiteral("Festmark " FESTMARK_VERSION)));
        QThread::msleep(300);
        return window;
    }

    // Keys as a person types them into the active window.
    void Type(const QString &window, const QStringList &keys) const
    {
        m_desktop->Xdotool({"windowactivate", "--sync", window});
        QStringList arguments{"key", "--clearmodifiers", "--delay", "100"};
        m_desktop->Xdotool(arguments + keys);
    }

    void Signal(int number) const { ::kill(static_cast<pid_t>(m_program.processId()), number); }

    // The program ends by itself within a few seconds, with status 0, having saved.
    void ExpectEndsCleanly()
    {
        ASSERT_TRUE(m_program.state() == QProcess::NotRunning || m_program.waitForFinished(5000))
            << "the program is still running";
        EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_program.exitCode(), 0);
        QFile settings(SettingsFile());
        ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
        const QByteArray saved = settings.readAll();
        EXPECT_TRUE(saved.contains("Startday=2")) << saved.toStdString();
        EXPECT_TRUE(saved.contains("Stopday=7")) << saved.toStdString();
    }

    QString SettingsFile() const { return m_home.filePath("config/Orvanta/Festmark.conf"); }

    QTemporaryDir m_home;
    QProcess m_program;
    std::vector<std::pair<QString, QString>> m_environment; // for the program, beside the above
    Desktop *m_desktop = &Desktop::Get();
};

struct WayOut {
    const char *name;
    QStringList keys; // none: a signal
    int signal = 0;
};

class WayOutTest : public WindowProcessTest, public testing::WithParamInterface<WayOut> {};

TEST_P(WayOutTest, EndsTheProcessWithStatusZeroAndSaves)
{
    Start();
    const QString window = MainWindow();
    ASSERT_FALSE(window.isEmpty());
    if (GetParam().signal != 0) {
        Signal(GetParam().signal);
    } else {
        Type(window, GetParam().keys);
        // A loaded machine can lose a key between the window manager and the window; a
        // person would press it again. A program that ignores the key fails all the same.
        if (!m_program.waitForFinished(2500))
            Type(window, GetParam().keys);
    }
    ExpectEndsCleanly();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, WayOutTest,
    testing::Values(WayOut{"ExitButtonMnemonic", {"alt+b"}}, WayOut{"Return", {"Return"}},
                    WayOut{"MenuBeenden", {"alt+d", "b"}}, WayOut{"AltF4", {"alt+F4"}},
                    WayOut{"CtrlQ", {"ctrl+q"}}, WayOut{"Sigterm", {}, SIGTERM},
                    WayOut{"Sigint", {}, SIGINT}, WayOut{"Sighup", {}, SIGHUP}),
    [](const auto &info) { return info.param.name; });

struct OpenDialog {
    const char *name;
    QStringList keys;
    const char *title;
};

class SignalWithDialogTest : public WindowProcessTest,
                             public testing::WithParamInterface<OpenDialog> {};

TEST_P(SignalWithDialogTest, EndsTheDialogThenTheProcessCleanly)
{
    Start();
    const QString window = MainWindow();
    ASSERT_FALSE(window.isEmpty());
    Type(window, GetParam().keys);
    ASSERT_FALSE(WaitForWindow(QString::fromUtf8(GetParam().title)).isEmpty());
    Signal(SIGTERM);
    ExpectEndsCleanly();
}

INSTANTIATE_TEST_SUITE_P(Dialogs, SignalWithDialogTest,
                         testing::Values(OpenDialog{"Options", {"alt+o"}, "Festmark-Optionen"},
                                         OpenDialog{"About", {"alt+i"}, "Info über Festmark"},
                                         OpenDialog{"Help", {"F1"}, "Festmark-Hilfe"}),
                         [](const auto &info) { return info.param.name; });

TEST_F(WindowProcessTest, SignalWhileTheFirstScansMessageIsOpenStillSaves)
{
    Start("kein Datum\n");
    ASSERT_FALSE(WaitForWindow("Festmark").isEmpty()); // the message box
    Signal(SIGTERM);
    ExpectEndsCleanly();
}

TEST_F(WindowProcessTest, SignalDuringALongScanIsAnsweredAtOnceAndSaves)
{
    // 300,000 entries over the widest window: seconds of scanning, and more under the
    // sanitizers. The signal comes while it runs.
    QByteArray list;
    for (int i = 0; i < 300000; ++i)
        list += QByteArray::number(1 + i % 28) + '.' + QByteArray::number(1 + i % 12) + '.' +
                QByteArray::number(1900 + i % 126) + " Eintrag " + QByteArray::number(i) +
                " wird # alt\n";
    Start(list, "Startday=3652\nStopday=13149\n");
    QThread::msleep(1000);
    ASSERT_EQ(m_program.state(), QProcess::Running) << "the scan ended before the signal";
    Signal(SIGTERM);
    ASSERT_TRUE(m_program.waitForFinished(1000)) << "the signal waited for the scan";
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program.exitCode(), 0);
    QFile settings(SettingsFile());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("Stopday=13149"));
}

TEST_F(WindowProcessTest, AHungSoundServerHoldsUpNeitherTheWindowNorASignal)
{
    // A sound server that takes the connection and never answers (a stopped PulseAudio), and
    // a year anniversary today, whose tune would open it.
    const QByteArray socketPath = QFile::encodeName(m_home.filePath("runtime/hung"));
    const HungServer server(socketPath);
    ASSERT_TRUE(server.Listening());
    m_environment = {{"PULSE_SERVER", "unix:" + QString::fromUtf8(socketPath)}};
    Start(QDate::currentDate().addYears(-50).toString("dd.MM.yyyy").toUtf8() +
          " Anna wird # alt\n");
    ASSERT_FALSE(MainWindow().isEmpty());
    Signal(SIGTERM);
    ExpectEndsCleanly();
}

TEST_F(WindowProcessTest, AMidnightThatDoesNotExistIsWaitedForNotPolledEverySecond)
{
    // libfaketime in the program's own process: Havana ten seconds before 08.03.2026, whose
    // 00:00 does not exist (clocks go from 23:59:59 to 01:00).
    const QString faketime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
    if (!QFile::exists(faketime))
        GTEST_SKIP() << "no libfaketime (faketime)";
    m_environment = {
        {"LD_PRELOAD", faketime},
        {"FAKETIME", "@2026-03-07 23:59:50"},
        {"TZ", "America/Havana"},
        {"ASAN_OPTIONS", qEnvironmentVariable("ASAN_OPTIONS") + ":verify_asan_link_order=0"}};
    Start("kein Datum\n14.03.1976 Anna wird # alt\n");
    const QString box = WaitForWindow("Festmark"); // the first scan's bad line
    ASSERT_FALSE(box.isEmpty());
    Type(box, {"Return"});
    // The next scan comes at the next day's first moment, ten seconds on; a wait fallen to its
    // one second would bring the box back at once.
    QThread::msleep(3000);
    EXPECT_TRUE(
        Desktop::Get().Xdotool({"search", "--onlyvisible", "--name", "^Festmark$"}).isEmpty())
        << "the window scanned again before the day began";
    Signal(SIGTERM);
    ExpectEndsCleanly();
}

TEST_F(WindowProcessTest, OptionsConfirmedWithOkSurviveTheDisplayDying)
{
    // A display of this test's own, to end under the program's feet. The stored settings
    // hold no window yet: only a save on OK writes one.
    Desktop own;
    if (!own.Ready())
        GTEST_SKIP() << own.WhyNot().toStdString();
    m_desktop = &own;
    Start();
    const QString window = MainWindow();
    ASSERT_FALSE(window.isEmpty());
    Type(window, {"alt+o"});
    const QString options = WaitForWindow("Festmark-Optionen");
    ASSERT_FALSE(options.isEmpty());
    Type(options, {"Return"}); // OK, the default button
    QThread::msleep(1000);
    own.KillServer();
    ASSERT_TRUE(m_program.waitForFinished(10000)) << "the program outlived its display";
    QFile settings(SettingsFile());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray saved = settings.readAll();
    EXPECT_TRUE(saved.contains("Startday=2") && saved.contains("Stopday=7")) << saved.toStdString();
}

TEST_F(WindowProcessTest, TabReachesInfoOptionsAndExitInTurn)
{
    Start();
    const QString window = MainWindow();
    ASSERT_FALSE(window.isEmpty());
    Type(window, {"Tab", "space"}); // from the grid to "Info"
    const QString about = WaitForWindow(QString::fromUtf8("Info über Festmark"));
    ASSERT_FALSE(about.isEmpty());
    Type(about, {"Escape"});
    Type(window, {"Tab", "space"}); // "Optionen"
    const QString options = WaitForWindow("Festmark-Optionen");
    ASSERT_FALSE(options.isEmpty());
    Type(options, {"Escape"});
    Type(window, {"Tab", "space"}); // "Beenden"
    ExpectEndsCleanly();
}

TEST_F(WindowProcessTest, TheMenuKeyHidesTheSelectedRowsEntry)
{
    const QDate today = QDate::currentDate();
    Start(today.toString("dd.MM.").toUtf8() + QByteArray::number(today.year() - 50) +
          " Anna wird # alt\n");
    const QString window = MainWindow();
    ASSERT_FALSE(window.isEmpty());
    Type(window, {"Menu"});
    QThread::msleep(500);
    Type(window, {"u"}); // "A&usblenden"
    QThread::msleep(500);
    Type(window, {"ctrl+q"});
    ExpectEndsCleanly();
    QFile settings(SettingsFile());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray saved = settings.readAll();
    EXPECT_TRUE(saved.contains("Hidden=") && saved.contains("Anna wird")) << saved.toStdString();
}

TEST_F(WindowProcessTest, TheListIsEditedByKeysAndKeepsItsCodePageAndLineEnds)
{
    const QByteArray list("14.03.1976 \xc4nne wird # alt\r\n"); // Windows-1252, CR LF
    Start(list);
    const QString window = MainWindow();
    ASSERT_FALSE(window.isEmpty());
    Type(window, {"ctrl+e"});
    const QString editor = WaitForWindow("Datumsliste bearbeiten.*");
    ASSERT_FALSE(editor.isEmpty());
    const auto typeText = [this](const QString &text) {
        m_desktop->Xdotool({"type", "--delay", "60", text});
    };
    Type(editor, {"ctrl+n"});
    typeText("1.4.2000");
    Type(editor, {"Tab"});
    typeText(QString::fromUtf8("Jörg wird"));
    Type(editor, {"Tab"});
    typeText("alt");
    Type(editor, {"Return", "ctrl+s"});
    const QByteArray saved = list + "01.04.2000 J\xf6rg wird # alt\r\n";
    const auto onDisk = [this] {
        QFile file(m_home.filePath("Festmark.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    const auto expect = [&onDisk](const QByteArray &bytes) {
        for (int wait = 0; wait < 50 && onDisk() != bytes; ++wait)
            QThread::msleep(100);
        EXPECT_EQ(onDisk(), bytes);
    };
    expect(saved);

    // The new row removed and saved, then taken back and saved: every byte as it was.
    Type(editor, {"Delete", "ctrl+s"});
    expect(list);
    Type(editor, {"ctrl+z", "ctrl+s"});
    expect(saved);
    Type(editor, {"Escape"});
    Type(window, {"ctrl+q"});
    ExpectEndsCleanly();
}

} // namespace

#endif
