// festmark --list as a user runs it: output, exit status, settings, and every kind of bad file.
#include "TestSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

class ListModeTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath("config/Orvanta");
        QDir(m_dir.path()).mkpath("home");
#ifdef _WIN32 // the registry outlives the test's folder
        ForgetSettings();
#endif
    }

    QString Path(const QString &name) const
    {
        return m_dir.filePath(name);
    }

    QString Write(const QString &name, const QByteArray &content) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    // The stored settings, as an INI file; on Windows the same values go into the registry.
    void WriteSettings(const QByteArray &ini) const
    {
        const QString file = Write("config/Orvanta/Festmark.conf", ini);
#ifdef _WIN32
        const QSettings read(file, QSettings::IniFormat);
        QSettings registry(QSettings::NativeFormat, QSettings::UserScope, "Orvanta", "Festmark");
        registry.clear();
        for (const QString &key : read.allKeys())
            registry.setValue(key, read.value(key));
#endif
    }

    Result Run(QStringList arguments, bool asNobody = false) const
    {
        arguments.prepend("--list");
        return Start(arguments, asNobody);
    }

    // The program as a terminal starts it, without a display.
    Result Start(const QStringList &arguments, bool asNobody = false) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", Path("config"));
        env.insert("HOME", Path("home"));
        for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(display);
        process.setProcessEnvironment(env);
#ifndef _WIN32
        if (asNobody) {
            process.setChildProcessModifier([] {
                if (setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(99);
            });
        }
#else
        Q_UNUSED(asNobody); // Windows has no user to drop to
#endif
        process.setWorkingDirectory(m_dir.path());
        process.start(FESTMARK_BINARY, arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir m_dir;
};

const QString kCaption14March = QString::fromUtf8("Jubiläen vom 12.03.2026 bis zum 21.03.2026\n");

TEST_F(ListModeTest, PrintsCaptionAndRowsWithFlags)
{
    const QString file = Write("Festmark.txt", "14.03.1976 Anna wird # alt\n"
                                               "21.03.1976 Bernd wird # alt\n"
                                               "24.12.2026 Noch # bis Heiligabend\n"
                                               "10.05.2000 Hochzeit Meier\n");
    const Result r = Run({"--file", file, "--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, kCaption14March + "14.03.2026\tHJ\tAnna wird 50 Jahre alt!\n"
                                       "19.03.2026\t--\tNoch -40 Wochen bis Heiligabend!\n"
                                       "21.03.2026\t-J\tBernd wird 50 Jahre alt!\n");
    EXPECT_FALSE(r.out.contains(QChar(0x1b))); // no colours when not a terminal
}

TEST_F(ListModeTest, IsoDateAndDayOptionsOverrideTheSettings)
{
    WriteSettings("[Settings]\nStartday=30\nStopday=30\n");
    const QString file = Write("f.txt", "24.12.2026 Noch # bis Heiligabend\n");
    const Result r = Run({"--file", file, "--date", "2026-12-14", "--back", "0", "--ahead", "0"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QString::fromUtf8("Jubiläen vom 14.12.2026 bis zum 14.12.2026\n"
                                       "14.12.2026\tH-\tNoch -10 Tage bis Heiligabend!\n"));
}

TEST_F(ListModeTest, UsesTheStoredSettingsAndWritesNothing)
{
    const QString file =
        Write("Meine Liste.txt", "\x94\x84.01.2000 x\n15.03.2000 J\x94rg wird # alt\n");
    const QByteArray ini =
        "[Settings]\nStartday=0\nStopday=1\nOEM=1\nFilePath=" + file.toUtf8() + "\nauto=1\n";
    WriteSettings(ini);
    const Result r = Run({"--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QString::fromUtf8("Jubiläen vom 14.03.2026 bis zum 15.03.2026\n"
                                       "15.03.2026\t-J\tJörg wird 26 Jahre alt!\n"));
    EXPECT_EQ(r.err, QString::fromUtf8("festmark: Fehler in Datei ") +
                         QDir::toNativeSeparators(file) +
                         QString::fromUtf8(", Zeile 1 (kein gültiges Datum): öä.01.2000 x\n"));
    QFile stored(Path("config/Orvanta/Festmark.conf"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), ini);
    EXPECT_FALSE(QDir(Path("config/autostart")).exists());
}

TEST_F(ListModeTest, AnsiOptionReadsWindowsBytes)
{
    const QString file = Write("f.txt", "15.03.2000 J\x94rg \xF6\n");
    WriteSettings("[Settings]\nOEM=1\n");
    const Result r =
        Run({"--file", file, "--date", "15.03.2026", "--back", "0", "--ahead", "0", "--ansi"});
    EXPECT_EQ(r.out, QString::fromUtf8("Jubiläen vom 15.03.2026 bis zum 15.03.2026\n"
                                       "15.03.2026\tHJ\tJ\u201Drg \u00F626 Jahre!\n"));
}

TEST_F(ListModeTest, WithoutSettingsReadsTheListBesideTheProgram)
{
    const Result r = Run({"--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(kCaption14March)) << r.out.toStdString();
    EXPECT_GT(r.out.count('\n'), 1) << "the bundled example shows jubilees";
    EXPECT_EQ(r.err, "");
}

TEST_F(ListModeTest, BadLinesAreReportedOncePerScanAndTheRestIsListed)
{
    const QString file = Write("f.txt", "14.03.1976 Anna wird # alt\n\n31.02.2000 X\n15.3.76 Y\n");
    const Result r = Run({"--file", file, "--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 0);
    const QString path = QDir::toNativeSeparators(file);
    EXPECT_EQ(r.err, "festmark: Fehler in Datei " + path + ", Zeile 2 (leere Zeile)\n" +
                         "festmark: Fehler in Datei " + path +
                         ", Zeile 3 (kein gültiges Datum): 31.02.2000 X\n" +
                         "festmark: Fehler in Datei " + path +
                         ", Zeile 4 (Jahr vierstellig angeben): 15.3.76 Y\n");
    EXPECT_EQ(r.out, kCaption14March + "14.03.2026\tHJ\tAnna wird 50 Jahre alt!\n");
}

TEST_F(ListModeTest, ControlCharactersFromTheFileAreNotPassedToTheTerminal)
{
    const QString file = Write("f.txt", "14.03.1976 A\x1b[2J\tB #\x07\n");
    const Result r = Run({"--file", file, "--date", "14.03.2026", "--back", "0", "--ahead", "0"});
    EXPECT_TRUE(r.out.endsWith(QString::fromUtf8("HJ\tA\uFFFD[2J\uFFFDB 50 Jahre\uFFFD!\n")))
        << r.out.toStdString();
}

TEST_F(ListModeTest, AUsageErrorEndsWithOneLineAndStatusTwo)
{
    const Result r = Run({"--back", "zwei"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "festmark: --back: keine ganze Zahl: zwei\n");
}

TEST_F(ListModeTest, HelpAndVersionNeedNoDisplay)
{
    for (const QStringList &arguments : {QStringList{"--help"}, QStringList{"--list", "-h"}}) {
        const Result help = Start(arguments);
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.startsWith("Aufruf: ")) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains("--ahead <N>"));
        EXPECT_FALSE(help.out.contains("--help-all")); // Qt's own options are not taken
    }
    const Result version = Start({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "festmark " FESTMARK_VERSION "\n");
}

TEST_F(ListModeTest, TheTerminalsCommandsLoadNeitherWidgetsNorSoundNorDBusNorNetwork)
{
#ifdef _WIN32
    GTEST_SKIP() << "reads the program's libraries with ldd";
#endif
    QProcess ldd;
    ldd.start("ldd", {FESTMARK_BINARY});
    ASSERT_TRUE(ldd.waitForFinished());
    const QString loaded = QString::fromUtf8(ldd.readAllStandardOutput());
    EXPECT_TRUE(loaded.contains("libQt6Core")) << loaded.toStdString();
    for (const char *library :
         {"libQt6Widgets", "libQt6Gui", "libQt6Multimedia", "libcanberra", "libpulse", "libasound",
          "libQt6DBus", "libQt6Network"}) // D-Bus and the network are in the window module
        EXPECT_FALSE(loaded.contains(library)) << library;
}

TEST_F(ListModeTest, WithoutADisplayTheWindowSaysSoInOneLine)
{
#ifndef _WIN32 // a Windows desktop always has its display
    const Result window = Start({});
    EXPECT_EQ(window.exitCode, 1);
    EXPECT_EQ(window.out, "");
    EXPECT_EQ(window.err.count('\n'), 1) << window.err.toStdString();
    EXPECT_TRUE(window.err.startsWith(QString::fromUtf8("festmark: Keine grafische Anzeige")));
#endif
    const Result unknown = Start({"--fenster"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err, QString::fromUtf8("festmark: Unbekannte Option 'fenster'.\n"));
    const Result listOnly = Start({"--back", "3"});
    EXPECT_EQ(listOnly.exitCode, 2);
    EXPECT_TRUE(listOnly.err.contains("--list")) << listOnly.err.toStdString();
}

class ListModeOpenFailureTest : public ListModeTest {
protected:
    void ExpectCannotOpen(const QString &file, const char *reason, bool asNobody = false)
    {
        const Result r = Run({"--file", file, "--date", "14.03.2026"}, asNobody);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, kCaption14March);
        EXPECT_EQ(r.err, QString::fromUtf8("festmark: Fehler beim Öffnen von ") +
                             QDir::toNativeSeparators(file) + ": " + QString::fromUtf8(reason) +
                             "\n");
    }
};

TEST_F(ListModeOpenFailureTest, SaysWhyForEveryKindOfPath)
{
    ExpectCannotOpen(Path("fehlt.txt"), "Datei nicht gefunden");
    ExpectCannotOpen(m_dir.path(), "das ist ein Ordner, keine Datei");
    ExpectCannotOpen(QString(), "kein Dateiname angegeben");
#ifndef _WIN32 // Windows' devices: see DateListFileTest
    ExpectCannotOpen("/dev/zero", "keine gewöhnliche Datei");
    const QString fifo = Path("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ExpectCannotOpen(fifo, "keine gewöhnliche Datei"); // never blocks on a pipe
    ASSERT_EQ(::symlink("kreis-b", QFile::encodeName(Path("kreis-a")).constData()), 0);
    ASSERT_EQ(::symlink("kreis-a", QFile::encodeName(Path("kreis-b")).constData()), 0);
    ExpectCannotOpen(Path("kreis-a"), "symbolische Verknüpfungen im Kreis");
#endif
    QFile huge(Path("riesig.txt")); // sparse: over the limit, without the disk space
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize((qint64(1) << 30) + 1));
    huge.close();
    ExpectCannotOpen(huge.fileName(), "Datei zu groß (mehr als 1 GiB)");
}

TEST_F(ListModeOpenFailureTest, AStoredNameWithANulIsSaidInGerman)
{
#ifdef _WIN32
    GTEST_SKIP() << "the registry's strings end at a NUL";
#endif
    WriteSettings("[Settings]\nFilePath=\"/tmp/a\\0b.txt\"\n");
    const Result r = Run({"--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QString::fromUtf8("festmark: Fehler beim Öffnen von ") +
                         QDir::toNativeSeparators(QString::fromUtf8("/tmp/a\uFFFDb.txt")) +
                         ": der Dateiname enthält ein Nullzeichen\n");
}

TEST_F(ListModeOpenFailureTest, FileWithoutReadPermission)
{
#ifdef _WIN32
    GTEST_SKIP() << "read permission is an access list on Windows, which wine does not keep";
#endif
    const QString file = Write("geheim.txt", "14.03.1976 Anna wird # alt\n");
    QFile::setPermissions(file, QFileDevice::WriteOwner);
    // Root reads any file: then the program runs as nobody, who must reach the folder.
    bool asNobody = false;
#ifndef _WIN32
    asNobody = geteuid() == 0;
#endif
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                            QFileDevice::ExeOther);
    ExpectCannotOpen(file, "keine Berechtigung zum Lesen", asNobody);
    // A folder on the way that is not the user's to open says so too.
    QDir(m_dir.path()).mkdir("zu");
    const QString inside = Write("zu/liste.txt", "14.03.1976 Anna wird # alt\n");
    QFile::setPermissions(Path("zu"), QFileDevice::WriteOwner);
    ExpectCannotOpen(inside, "keine Berechtigung zum Lesen", asNobody);
    QFile::setPermissions(Path("zu"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(ListModeTest, ProgramFolderNotTheUsersLooksInTheHomeFolder)
{
#ifdef _WIN32
    GTEST_SKIP() << "a Linux install rule";
#else
    if (geteuid() != 0)
        GTEST_SKIP() << "needs to run the program as another user than the build's owner";
    const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(m_dir.path(), open);
    QFile::setPermissions(Path("home"), open);
    QFile::setPermissions(Write("home/Festmark.txt", "14.03.1976 Anna wird # alt\n"),
                          QFileDevice::ReadOwner | QFileDevice::ReadOther);
    const Result r = Run({"--date", "14.03.2026", "--back", "0", "--ahead", "0"}, true);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith("\tHJ\tAnna wird 50 Jahre alt!\n")) << r.out.toStdString();
#endif
}

TEST_F(ListModeTest, EmptyFileListsNothing)
{
    const Result r = Run({"--file", Write("leer.txt", ""), "--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kCaption14March);
    EXPECT_EQ(r.err, "");
}

TEST_F(ListModeTest, BinaryFileGivesBadLinesAndNoCrash)
{
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 131 + 7) % 256);
    const Result r = Run({"--file", Write("bild.png", garbage), "--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kCaption14March);
    EXPECT_TRUE(r.err.startsWith("festmark: Fehler in Datei"));
    const Result nuls =
        Run({"--file", Write("nullen.bin", QByteArray(1000, '\0')), "--date", "14.03.2026"});
    EXPECT_EQ(nuls.exitCode, 0);
    EXPECT_EQ(nuls.err.count('\n'), 1);
}

TEST_F(ListModeTest, WriteErrorsEndWithAMessageAndStatusOne)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs sh and /dev/full";
#endif
    // Rows of about 2 MB: more than any pipe holds (64 KiB, or 1 MiB at most unless raised),
    // so the writer meets the closed pipe whenever the reader goes.
    QByteArray many;
    for (int i = 0; i < 1000; ++i)
        many += QByteArray::number(i % 28 + 1).rightJustified(2, '0') + '.' +
                QByteArray::number(i / 28 % 12 + 1).rightJustified(2, '0') + '.' +
                QByteArray::number(1976 + i / 336) + " Eintrag # alt\n";
    const QString file = Write("f.txt", many);
    const QStringList arguments{"--list",     "--file",  file,   "--date",
                                "14.03.2026", "--ahead", "13149"};
    // A reader that goes away at once, and a full disk.
    QProcess closedPipe;
    closedPipe.start("sh", QStringList{"-c", "\"$0\" \"$@\" | exec sleep 0", FESTMARK_BINARY} +
                               arguments);
    ASSERT_TRUE(closedPipe.waitForFinished());
    QProcess fullDisk;
    fullDisk.setStandardOutputFile("/dev/full");
    fullDisk.start(FESTMARK_BINARY, arguments);
    ASSERT_TRUE(fullDisk.waitForFinished());
    EXPECT_EQ(QString::fromUtf8(closedPipe.readAllStandardError()),
              "festmark: Fehler beim Schreiben der Ausgabe: die Ausgabe wurde geschlossen\n");
    EXPECT_EQ(fullDisk.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(fullDisk.readAllStandardError()),
              QString::fromUtf8("festmark: Fehler beim Schreiben der Ausgabe: kein Platz mehr auf "
                                "dem Datenträger\n"));
}

TEST_F(ListModeTest, ColoursOnlyOnATerminalThatWantsThem)
{
    const QString file = Write("f.txt", "14.03.1976 Anna wird # alt\n");
    EXPECT_FALSE(Run({"--file", file, "--date", "14.03.2026"}).out.contains('\x1b')); // a pipe
#ifdef _WIN32
    GTEST_SKIP() << "needs script(1) for a terminal of its own";
#endif
    // `script` gives the program a terminal of its own.
    const auto onTerminal = [&](const QString &environment) {
        QProcess script;
        script.start("script", {"-qc",
                                environment + " '" + FESTMARK_BINARY + "' --list --file '" + file +
                                    "' --date 14.03.2026",
                                "/dev/null"});
        EXPECT_TRUE(script.waitForFinished());
        return script.readAllStandardOutput();
    };
    EXPECT_TRUE(onTerminal("TERM=xterm").contains("\x1b[33;41m14.03.2026\x1b[0m"));
    EXPECT_FALSE(onTerminal("TERM=xterm NO_COLOR=1").contains('\x1b'));
    EXPECT_FALSE(onTerminal("TERM=dumb").contains('\x1b'));
}

TEST_F(ListModeTest, CalendarFileIsWrittenWholeOrNotAtAll)
{
    const QString file = Write("f.txt", "14.03.1976 Anna wird # alt\n24.12.2026 Noch # bis "
                                        "Heiligabend\n");
    const QString ics = Path("Festmark.ics");
    const auto exportTo = [&](const QString &list, const QString &target) {
        return Start({"--ics", "--file", list, "--date", "14.03.2026", "--ahead", "300", "--output",
                      target});
    };
    const Result written = exportTo(file, ics);
    EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
    QFile calendar(ics);
    ASSERT_TRUE(calendar.open(QIODevice::ReadOnly));
    const QByteArray first = calendar.readAll();
    calendar.close();
    EXPECT_TRUE(first.startsWith("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"));
    const Result listed = Run({"--file", file, "--date", "14.03.2026", "--ahead", "300"});
    EXPECT_EQ(first.count("BEGIN:VEVENT"), listed.out.count('\n') - 1); // one event per row
    EXPECT_TRUE(first.contains("SUMMARY:Noch -10 Tage bis Heiligabend!\r\n"));

    const Result unreadable = exportTo(Path("fehlt.txt"), ics);
    EXPECT_EQ(unreadable.exitCode, 1);
    ASSERT_TRUE(calendar.open(QIODevice::ReadOnly));
    EXPECT_EQ(calendar.readAll(), first); // the old calendar stays as it was
    // "-" is standard output, as for every tool, not a file of that name.
    const Result dash = exportTo(file, "-");
    EXPECT_EQ(dash.exitCode, 0);
    EXPECT_EQ(dash.out.toUtf8().count("BEGIN:VEVENT"), first.count("BEGIN:VEVENT"));
    EXPECT_FALSE(QFileInfo::exists(Path("-")));
    const Result nowhere = exportTo(file, Path("gibt/es/nicht.ics"));
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_TRUE(nowhere.err.startsWith("festmark: Fehler beim Schreiben von "))
        << nowhere.err.toStdString();
}

TEST_F(ListModeTest, AnAddressBookWorksLikeADateList)
{
    // A birthday, one without its year, and a contact without any day, which is no error.
    const QString cards = Write("Kontakte.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Muster\r\n"
                                                "BDAY:1976-03-14\r\nEND:VCARD\r\n"
                                                "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ohne Jahr\r\n"
                                                "BDAY:--0314\r\nEND:VCARD\r\n"
                                                "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nur Telefon\r\n"
                                                "TEL:+49 30 1234\r\nEND:VCARD\r\n");
    const Result listed = Run({"--file", cards, "--date", "14.03.2026"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, kCaption14March + "14.03.2026\tHJ\tAnna Muster wird 50 Jahre alt!\n" +
                              "14.03.2026\tHJ\tOhne Jahr hat Geburtstag!\n");
    EXPECT_EQ(listed.err, "");
    const Result calendar = Start({"--ics", "--file", cards, "--date", "14.03.2026"});
    EXPECT_TRUE(calendar.out.contains("SUMMARY:Anna Muster wird 50 Jahre alt!\r\n"));
    EXPECT_TRUE(calendar.out.contains("SUMMARY:Ohne Jahr hat Geburtstag!\r\n"));
}

TEST_F(ListModeTest, SeveralSourcesAreMergedByDayThenSourceAndReportedTogether)
{
    const QString list = Write("liste.txt", "14.03.1976 Anna wird # alt\nkein Datum\n"
                                            "21.03.1976 Bernd wird # alt\n");
    const QString cards = Write("kontakte.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Carla\r\n"
                                                "BDAY:1986-03-14\r\nEND:VCARD\r\n");
    const QString missing = Path("fehlt.txt");
    const Result r =
        Run({"--file", list, "--file", cards, "--file", missing, "--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 1); // a source could not be read; the others' rows are listed
    EXPECT_EQ(r.out, kCaption14March + "14.03.2026\tHJ\tAnna wird 50 Jahre alt!\n" +
                         "14.03.2026\tHJ\tCarla wird 40 Jahre alt!\n" +
                         "21.03.2026\t-J\tBernd wird 50 Jahre alt!\n");
    EXPECT_EQ(r.err, "festmark: Fehler in Datei " + QDir::toNativeSeparators(list) +
                         QString::fromUtf8(", Zeile 2 (kein gültiges Datum): kein Datum\n") +
                         QString::fromUtf8("festmark: Fehler beim Öffnen von ") +
                         QDir::toNativeSeparators(missing) + ": Datei nicht gefunden\n");
    // The stored sources stand behind --file: without it they are read, list first.
    WriteSettings("[Settings]\nFilePath=" + cards.toUtf8() + "\nSources=\"" + list.toUtf8() +
                  "\"\n");
    const Result stored = Run({"--date", "14.03.2026", "--ahead", "0"});
    EXPECT_EQ(stored.out, QString::fromUtf8("Jubiläen vom 12.03.2026 bis zum 14.03.2026\n"
                                            "14.03.2026\tHJ\tCarla wird 40 Jahre alt!\n"
                                            "14.03.2026\tHJ\tAnna wird 50 Jahre alt!\n"));
    // A calendar lacking a source's events would take them from its subscribers.
    const QString calendar = Write("j.ics", "alt");
    const Result ics = Start(
        {"--ics", "--file", list, "--file", missing, "--output", calendar, "--date", "14.03.2026"});
    EXPECT_EQ(ics.exitCode, 1);
    QFile kept(calendar);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "alt");
    // Nor is any source ever written over, whichever --file it came from.
    const Result over = Start({"--ics", "--file", list, "--file", cards, "--output", cards});
    EXPECT_EQ(over.exitCode, 1);
    EXPECT_TRUE(over.err.contains("sie bleibt, wie sie ist")) << over.err.toStdString();
}

TEST_F(ListModeTest, HiddenEntriesAreLeftOutOfListAndCalendar)
{
    const QString file = Write("f.txt", "14.03.1976 Anna wird # alt\n14.03.2000 Bert wird # alt\n");
    WriteSettings("[Settings]\nHidden=\"14.03.1976 Anna wird # alt\\t" + file.toUtf8() + "\"\n");
    const Result listed =
        Run({"--file", file, "--date", "14.03.2026", "--back", "0", "--ahead", "0"});
    EXPECT_EQ(listed.out, QString::fromUtf8("Jubiläen vom 14.03.2026 bis zum 14.03.2026\n"
                                            "14.03.2026\tHJ\tBert wird 26 Jahre alt!\n"));
    const Result calendar =
        Start({"--ics", "--file", file, "--date", "14.03.2026", "--back", "0", "--ahead", "0"});
    EXPECT_EQ(calendar.out.count("BEGIN:VEVENT"), 1);
    EXPECT_FALSE(calendar.out.contains("Anna"));
}

TEST_F(ListModeTest, NotepadsUnicodeListsAreReadAndUtf32IsRefusedWithTheCalendarKept)
{
    const QString text = QString::fromUtf8("14.03.1976 Jörg wird # alt\r\n");
    const QString calendar = Path("j.ics");
    const auto exportFrom = [&](QStringConverter::Encoding encoding) {
        const QString list =
            Write("u.txt", QStringEncoder(encoding, QStringEncoder::Flag::WriteBom)(text));
        return Start({"--ics", "--file", list, "--date", "14.03.2026", "--output", calendar});
    };
    const Result utf16 = exportFrom(QStringConverter::Utf16LE);
    EXPECT_EQ(utf16.exitCode, 0) << utf16.err.toStdString();
    QFile written(calendar);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray events = written.readAll();
    written.close();
    EXPECT_TRUE(events.contains("SUMMARY:Jörg wird 50 Jahre alt!\r\n"));
    const Result utf32 = exportFrom(QStringConverter::Utf32LE);
    EXPECT_EQ(utf32.exitCode, 1);
    EXPECT_TRUE(utf32.err.contains("in UTF-32 geschrieben")) << utf32.err.toStdString();
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), events); // the subscribed calendar stays as it was
}

#ifndef _WIN32
TEST_F(ListModeTest, HostileNamesAndFilesAreHandledWithoutHarm)
{
    // Settings that are a pipe are passed by (they would block for ever).
    ASSERT_EQ(mkfifo(QFile::encodeName(Path("config/Orvanta/Festmark.conf")).constData(), 0600), 0);
    const QString list = Write("f.txt", "14.03.1976 Anna wird # alt\n");
    const Result piped = Run({"--file", list, "--date", "14.03.2026"});
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_TRUE(piped.err.contains(QString::fromUtf8("keine gewöhnliche Datei")))
        << piped.err.toStdString();
    EXPECT_TRUE(piped.out.endsWith("\tHJ\tAnna wird 50 Jahre alt!\n"));
    // A name with a control character is printed harmless, one with bytes that are no UTF-8
    // is read all the same.
    const Result escape = Run({"--file", Path("x\x1b[31my.txt"), "--date", "14.03.2026"});
    EXPECT_FALSE(escape.err.contains('\x1b'));
    EXPECT_TRUE(escape.err.contains(QString::fromUtf8("x\uFFFD[31my.txt")))
        << escape.err.toStdString();
    QProcess raw;
    raw.setWorkingDirectory(m_dir.path());
    raw.start("sh", {"-c",
                     "printf '14.03.1976 J\\366rg wird # alt\\n' > \"$(printf 'j\\366rg.txt')\" && "
                     "exec \"$0\" --list --file \"$(printf 'j\\366rg.txt')\" --date 14.03.2026",
                     FESTMARK_BINARY});
    ASSERT_TRUE(raw.waitForFinished());
    EXPECT_EQ(raw.exitCode(), 0) << raw.readAllStandardError().toStdString();
    EXPECT_TRUE(raw.readAllStandardOutput().endsWith(
        QString::fromUtf8("\tHJ\tJörg wird 50 Jahre alt!\n").toUtf8()));
}
#endif

#ifndef _WIN32
TEST_F(ListModeTest, OutputIsWrittenIntoDevicesAndPipesAndNeverOverTheList)
{
    const QByteArray content = "14.03.1976 Anna wird # alt\n";
    const QString list = Write("f.txt", content);
    const auto exportTo = [&](const QString &target) {
        return Start({"--ics", "--file", list, "--date", "14.03.2026", "--output", target});
    };
    const auto kind = [](const QString &path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0U;
    };
    // A device stays a device (as root the old way would have replaced /dev/null).
    EXPECT_EQ(exportTo("/dev/null").exitCode, 0);
    EXPECT_EQ(kind("/dev/null"), static_cast<unsigned>(S_IFCHR));
    // A named pipe is written into, as a shell's ">" does.
    const QString fifo = Path("pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess reader;
    reader.start("cat", {fifo});
    ASSERT_TRUE(reader.waitForStarted());
    EXPECT_EQ(exportTo(fifo).exitCode, 0);
    ASSERT_TRUE(reader.waitForFinished());
    EXPECT_TRUE(reader.readAllStandardOutput().contains("SUMMARY:Anna wird 50 Jahre alt!"));
    EXPECT_EQ(kind(fifo), static_cast<unsigned>(S_IFIFO));
    // The date list is kept under any of its names, and a folder is no file to write.
    ASSERT_EQ(::link(QFile::encodeName(list).constData(),
                     QFile::encodeName(Path("hart.txt")).constData()),
              0);
    for (const QString &name : {list, Path("home/../f.txt"), Path("hart.txt")}) {
        const Result refused = exportTo(name);
        EXPECT_EQ(refused.exitCode, 1) << name.toStdString();
        EXPECT_TRUE(refused.err.contains("die Datumsliste selbst")) << refused.err.toStdString();
    }
    QFile kept(list);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), content);
    const Result folder = exportTo(Path("home"));
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_TRUE(folder.err.endsWith(": ist ein Ordner\n")) << folder.err.toStdString();
    // A name that is no UTF-8 is written by its own bytes.
    QProcess raw;
    raw.setWorkingDirectory(m_dir.path());
    raw.start("sh", {"-c", "exec \"$0\" --ics --file f.txt --output \"$(printf 'k\\344l.ics')\"",
                     FESTMARK_BINARY});
    ASSERT_TRUE(raw.waitForFinished());
    EXPECT_EQ(raw.exitCode(), 0) << raw.readAllStandardError().toStdString();
    EXPECT_EQ(
        ::access(QFile::encodeName(m_dir.path() + "/").append("k\xe4l.ics").constData(), F_OK), 0);
}

TEST_F(ListModeTest, ANameThatIsNoUtf8TakesTheRoadOfEveryName)
{
    Write("f.txt", "14.03.1976 Anna wird # alt\n");
    const QByteArray dir = QFile::encodeName(m_dir.path()) + "/";
    const auto exportTo = [&](const char *name) {
        QProcess raw;
        raw.setWorkingDirectory(m_dir.path());
        raw.start("sh", {"-c",
                         QString("exec \"$0\" --ics --file f.txt --date 14.03.2026 "
                                 "--output \"$(printf '%1')\"")
                             .arg(name),
                         FESTMARK_BINARY});
        EXPECT_TRUE(raw.waitForFinished());
        return raw.exitCode();
    };
    const auto contents = [](const QByteArray &path) {
        QFile file;
        const int descriptor = ::open(path.constData(), O_RDONLY);
        EXPECT_TRUE(file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        return file.readAll();
    };
    const auto write = [](const QByteArray &path, const QByteArray &content, mode_t mode) {
        const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
        ASSERT_GE(descriptor, 0);
        ASSERT_EQ(::write(descriptor, content.data(), content.size()), content.size());
        ::close(descriptor);
    };
    // A file of the user's under the name a temporary file could take stays untouched.
    write(dir + "o\xfe.ics.festmark-neu", "meins", 0644);
    EXPECT_EQ(exportTo("o\\376.ics"), 0);
    EXPECT_EQ(contents(dir + "o\xfe.ics.festmark-neu"), "meins");
    EXPECT_TRUE(contents(dir + "o\xfe.ics").contains("SUMMARY:Anna wird 50 Jahre alt!"));
    // A private calendar stays private, and a link is written through and stays a link.
    write(dir + "p\xfe.ics", "alt", 0600);
    EXPECT_EQ(exportTo("p\\376.ics"), 0);
    struct stat info {};
    ASSERT_EQ(::stat((dir + "p\xfe.ics").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::symlink("p\xfe.ics", (dir + "l\xfe.ics").constData()), 0);
    EXPECT_EQ(exportTo("l\\376.ics"), 0);
    ASSERT_EQ(::lstat((dir + "l\xfe.ics").constData(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_TRUE(contents(dir + "p\xfe.ics").contains("BEGIN:VCALENDAR"));
    // What the system says comes in German.
    QProcess missing;
    missing.setWorkingDirectory(m_dir.path());
    missing.start("sh", {"-c", "exec \"$0\" --ics --file f.txt --output \"$(printf 'kein/\\376')\"",
                         FESTMARK_BINARY});
    ASSERT_TRUE(missing.waitForFinished());
    EXPECT_EQ(missing.exitCode(), 1);
    EXPECT_TRUE(missing.readAllStandardError().endsWith(": der Ordner existiert nicht\n"));
}
#endif

#ifndef _WIN32
TEST_F(ListModeTest, ABrokenWindowModuleIsNamedInGermanWithTheRepair)
{
    // The program beside a module cut short, garbage, an empty file, or none at all.
    QDir(m_dir.path()).mkpath("bin");
    const QString program = Path("bin/festmark");
    ASSERT_TRUE(QFile::copy(FESTMARK_BINARY, program));
    QFile real(FESTMARK_WINDOW_MODULE);
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray whole = real.readAll();
    const QString module = Path("bin/" + QFileInfo(FESTMARK_WINDOW_MODULE).fileName());
    const std::vector<std::pair<QByteArray, const char *>> cases = {
        {whole.left(whole.size() / 2), "ist beschädigt"},
        {whole.left(64), "ist beschädigt"},
        {QByteArray(4096, 'x'), "ist beschädigt"},
        {QByteArray(), "ist beschädigt"},
    };
    for (const auto &[content, said] : cases) {
        QFile::remove(module);
        QFile file(module);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QProcess festmark;
        festmark.start(program, {});
        ASSERT_TRUE(festmark.waitForFinished(30000));
        const QString err = QString::fromUtf8(festmark.readAllStandardError());
        EXPECT_EQ(festmark.exitStatus(), QProcess::NormalExit) << content.size();
        EXPECT_EQ(festmark.exitCode(), 1) << content.size();
        EXPECT_TRUE(err.contains(QString::fromUtf8(said))) << err.toStdString();
        EXPECT_TRUE(err.contains("Bitte installieren Sie Festmark neu.")) << err.toStdString();
    }
    QFile::remove(module);
    QProcess festmark;
    festmark.start(program, {});
    ASSERT_TRUE(festmark.waitForFinished(30000));
    EXPECT_EQ(festmark.exitCode(), 1);
    EXPECT_TRUE(festmark.readAllStandardError().contains("fehlt."));
}
#endif

#ifndef _WIN32
TEST_F(ListModeTest, OutputIsUtf8UnderALocaleOfAnotherEncoding)
{
    const QString file = Write("f.txt", "14.03.1976 J\xC3\xB6rg wird # alt\n");
    QProcess festmark;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", Path("config"));
    env.insert("LC_ALL", "de_DE.ISO-8859-1");
    env.insert("LANG", "de_DE.ISO-8859-1");
    festmark.setProcessEnvironment(env);
    festmark.start(FESTMARK_BINARY, {"--list", "--file", file, "--date", "14.03.2026"});
    ASSERT_TRUE(festmark.waitForFinished(30000));
    EXPECT_TRUE(
        festmark.readAllStandardOutput().endsWith("\tHJ\tJ\xC3\xB6rg wird 50 Jahre alt!\n"));
    EXPECT_TRUE(QString::fromUtf8(festmark.readAllStandardError()).isEmpty());
}
#endif

TEST_F(ListModeTest, FileNamesOutsideAsciiAreOpenedByTheirOwnName)
{
    // Windows hands the program its ANSI code page in argv: "Łukasz" would become "Lukasz".
    for (const char *name : {"Jürgen.txt", "Łukasz.txt"}) {
        const QString file = Write(QString::fromUtf8(name), "14.03.1976 Anna wird # alt\n");
        Write("Lukasz.txt", "14.03.1976 Falsche Datei # alt\n");
        const Result r = Run({"--file", file, "--date", "14.03.2026", "--back", "0"});
        EXPECT_EQ(r.exitCode, 0) << name << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("\tHJ\tAnna wird 50 Jahre alt!\n")) << name;
    }
}

#ifndef _WIN32
TEST_F(ListModeTest, StartedByItsBareNameThroughPathItFindsItsWindow)
{
    // argv[0] is then "festmark", with no folder: the window module must still be found.
    QProcess shell;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(display);
    env.insert("PATH", QFileInfo(FESTMARK_BINARY).absolutePath() + ":/usr/bin:/bin");
    shell.setProcessEnvironment(env);
    shell.setWorkingDirectory(m_dir.path());
    shell.start("sh", {"-c", "exec festmark"});
    ASSERT_TRUE(shell.waitForFinished(60000));
    const QString err = QString::fromUtf8(shell.readAllStandardError());
    EXPECT_EQ(shell.exitCode(), 1);
    EXPECT_TRUE(err.contains("Keine grafische Anzeige")) << err.toStdString();
}
#endif

TEST_F(ListModeTest, ManyBadLinesAreReportedUpToAThousandThenCounted)
{
    const QString file = Write("f.txt", QByteArray(1500, '\n') + "14.03.1976 Anna wird # alt\n");
    const Result r = Run({"--file", file, "--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 0);
    const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1001);
    EXPECT_TRUE(lines[999].endsWith(", Zeile 1000 (leere Zeile)"));
    EXPECT_TRUE(lines[1000].endsWith(": ... und 500 weitere fehlerhafte Zeilen."))
        << lines[1000].toStdString();
    EXPECT_TRUE(r.out.endsWith("\tHJ\tAnna wird 50 Jahre alt!\n"));
}

class SlowListModeTest : public ListModeTest {};

TEST_F(SlowListModeTest, FiftyMegabytesOfBlankLinesAreCountedNotPrinted)
{
    const QString file = Write("leer.txt", QByteArray(50 * 1024 * 1024, '\n'));
    const Result r = Run({"--file", file, "--date", "14.03.2026"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.count('\n'), 1001);
    EXPECT_TRUE(r.err.endsWith(
        QString(": ... und %1 weitere fehlerhafte Zeilen.\n").arg(50 * 1024 * 1024 - 1000)));
}

TEST_F(SlowListModeTest, HugeFileAndHugeLine)
{
    QByteArray big;
    const QByteArray line = "14.03.1976 Anna wird # alt\n";
    while (big.size() < 50 * 1024 * 1024)
        big += line;
    big += "kaputt\n";
    const Result r = Run(
        {"--file", Write("gross.txt", big), "--date", "15.03.2026", "--back", "0", "--ahead", "0"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QString::fromUtf8("Jubiläen vom 15.03.2026 bis zum 15.03.2026\n"));
    EXPECT_TRUE(r.err.endsWith(", Zeile " + QString::number(big.count('\n')) +
                               " (kein gültiges Datum): kaputt\n"));

    const QByteArray name(1024 * 1024, 'x');
    const Result longLine = Run({"--file", Write("lang.txt", "14.03.1976 " + name + "#!"), "--date",
                                 "14.03.2026", "--back", "0", "--ahead", "0"});
    EXPECT_EQ(longLine.exitCode, 0);
    EXPECT_TRUE(longLine.out.endsWith("\tHJ\t" + name + "50 Jahre!!\n"));
}

} // namespace

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__) // the sanitizer reserves far more
TEST_F(ListModeTest, RowsBeyondTheFreeMemoryAreSaidNotAborted)
{
    QByteArray list;
    for (int i = 0; i < 300000; ++i)
        list += QByteArray::number(1 + i % 28).rightJustified(2, '0') + "." +
                QByteArray::number(1 + i % 12).rightJustified(2, '0') + "." +
                QByteArray::number(1900 + i % 126) + " P wird # alt\n";
    const QString file = Write("gross.txt", list);
    const QString calendar = Write("j.ics", "alt");
    // 100 MB of address space: the list is read, the rows of the widest window are too many.
    const auto run = [&](const QStringList &arguments) {
        QProcess process;
        process.setChildProcessModifier([] {
            const rlimit limit{100u << 20, 100u << 20};
            if (setrlimit(RLIMIT_AS, &limit) != 0)
                _exit(99);
        });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", Path("config"));
        env.insert("HOME", Path("home"));
        process.setProcessEnvironment(env);
        process.start(FESTMARK_BINARY, arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return Result{process.exitCode(), QString(),
                      QString::fromUtf8(process.readAllStandardError())};
    };
    const QStringList widest{"--file", file, "--back", "3652", "--ahead", "13149"};
    for (const QStringList &mode :
         {QStringList{"--list"}, QStringList{"--ics", "--output", calendar}}) {
        const Result r = run(mode + widest);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_EQ(r.err, QString::fromUtf8("festmark: Zu viele Jubiläen für den freien Speicher; "
                                           "ein kürzerer Zeitraum hilft.\n"));
    }
    QFile kept(calendar);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "alt");
}
#endif
