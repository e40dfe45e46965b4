#pragma once

#include "Services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

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
    void PlayLooping(int id) override { events.append("play " + QString::number(id)); }
    void StopAll() override { events.append("stop"); }
    QStringList events;
};

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
