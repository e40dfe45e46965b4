#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Where the settings of organisation "Orvanta", application "Festmark" live: an INI file on
// Linux (~/.config/Orvanta/Festmark.conf, read by QSettings), the registry on Windows.

QString SettingsFilePath(); // empty where the settings are no file, or have no folder

// Linux: the folder of the user's configuration, $XDG_CONFIG_HOME where it is an absolute
// path (a relative one is ignored, as the XDG base directories say), else $HOME/.config;
// empty without a home. Never the root of the file system.
QString ConfigFolder();
// Whether the program has a place for its settings and login entry (always on Windows).
bool HasConfigFolder();
// Said where it has not.
QString NoConfigFolderMessage();

// The settings for reading (only reading: writes go through WriteSettingsGroup).
std::unique_ptr<QSettings> ReadSettings();

// A file written anew in pieces that takes the old one's place only when it is whole: on a
// full disk, a failed write or no Commit() the old file stays as it was. Unbuffered, so that
// a full disk fails the write itself and never reaches the commit.
class FileReplacement {
public:
    explicit FileReplacement(const QString &path);

    bool Write(QByteArrayView piece); // false from the first failure on
    bool Commit();                    // false: the old file stays
    const QString &ErrorString() const { return m_error; }
    QString FileName() const;

private:
    QSaveFile m_file; // discards what it holds unless committed
    bool m_ok;
    QString m_error;
};

// Replaces the file at `path` by `content` whole, or leaves it as it was. False, with the
// reason in `error`, when the file was not replaced. (The program's settings, its autostart
// entry and its calendars are all written this way.)
bool ReplaceFileWhole(const QString &path, QByteArrayView content, QString *error);

// Writes one group's values in one go. On Linux the file is written anew beside the old one
// and takes its place only when it is whole: it holds the old settings or the new ones, never
// a mix and never nothing, also on a full disk or when two programs end at once. False, with
// the reason in `error`, when nothing was written.
bool WriteSettingsGroup(const QString &group,
                        const std::vector<std::pair<QString, QVariant>> &values, QString *error);
