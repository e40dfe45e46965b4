#pragma once

#include "Profile.h"
#include "Services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <ostream>

// Readable failures for Qt's strings.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &texts, std::ostream *os)
{
    *os << "{";
    for (const QString &text : texts)
        *os << " \"" << text.toStdString() << "\"";
    *os << " }";
}

// Message boxes and sounds that only take note, so that nothing blocks or plays in tests.
struct RecordingBoxes : MessageBoxService {
    void Show(QWidget *, const QString &text) override { texts.append(text); }
    QStringList texts;
};

struct RecordingSounds : SoundService {
    void PlayLooping(int id) override
    {
        events.append("play " + QString::number(id));
        playing = id;
    }
    void StopAll() override
    {
        events.append("stop");
        playing = 0;
    }
    QStringList events;
    int playing = 0; // the looping sound, 0 when silent
};

// Runs `inspect` on the next modal dialog once it is up, then closes it with OK, so that a
// modal exec() returns in tests.
template <typename Inspect> void WhenModalShown(Inspect inspect)
{
    QTimer::singleShot(0, [inspect] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr) { // not up yet: look again on the next turn
            WhenModalShown(inspect);
            return;
        }
        inspect(modal);
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->accept();
    });
}

// The test process's own settings folder (set up by the test main), emptied between tests.
inline QString ConfigHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation);
}

inline QString SettingsFile()
{
    return ConfigHome() + "/Orvanta/Festmark.conf";
}

inline void ForgetSettings()
{
    QDir(ConfigHome() + "/Orvanta").removeRecursively();
    QDir(ConfigHome() + "/autostart").removeRecursively();
}

inline QString WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

// Fresh settings whose date list is `content`, written as Festmark.txt into `folder`.
inline void StartWithDateList(const QString &folder, const QByteArray &content)
{
    ForgetSettings();
    WriteProfileString("Settings", "FilePath", WriteFile(folder + "/Festmark.txt", content));
}
