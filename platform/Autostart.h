#pragma once

#include <QString>

// The entry that starts the program when the user logs in: an XDG autostart desktop entry on
// Linux, the value "Festmark" of the user's Run key on Windows. It is replaced whole or left
// as it was; a program path that is no valid UTF-8 (a desktop entry could not name it) gets
// no entry. False, with the reason in `problem`, when nothing was written.
// `notifyOnly`: the entry starts "festmark --notify", a notification instead of the window.
bool WriteAutostartEntry(bool enabled, const QString &exePath, QString *problem = nullptr,
                         bool notifyOnly = false);
QString AutostartEntryPath(); // Linux: where the desktop entry goes
