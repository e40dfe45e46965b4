#pragma once

#include <QString>

// The entry that starts the program when the user logs in: an XDG autostart desktop entry on
// Linux, the value "Festmark" of the user's Run key on Windows. Failures are silent.
void WriteAutostartEntry(bool enabled, const QString &exePath);
QString AutostartEntryPath(); // Linux: where the desktop entry goes
