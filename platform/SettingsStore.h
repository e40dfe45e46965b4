#pragma once

#include <QByteArrayView>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>
#include <utility>
#include <vector>

// Where the settings of organisation "Orvanta", application "Festmark" live: an INI file on
// Linux (~/.config/Orvanta/Festmark.conf, read by QSettings), the registry on Windows.

QString SettingsFilePath(); // empty where the settings are no file

// The settings for reading (only reading: writes go through WriteSettingsGroup).
std::unique_ptr<QSettings> ReadSettings();

// Replaces the file at `path` by `content` whole, or leaves it as it was: on a full disk,
// a failed write or commit keeps the old file. False, with the reason in `error`, when the
// file was not replaced. (The program's settings, its autostart entry and its calendars are
// all written this way.)
bool ReplaceFileWhole(const QString &path, QByteArrayView content, QString *error);

// Writes one group's values in one go. On Linux the file is written anew beside the old one
// and takes its place only when it is whole: it holds the old settings or the new ones, never
// a mix and never nothing, also on a full disk or when two programs end at once. False, with
// the reason in `error`, when nothing was written.
bool WriteSettingsGroup(const QString &group,
                        const std::vector<std::pair<QString, QVariant>> &values, QString *error);
