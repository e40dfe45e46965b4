#pragma once

#include <QString>

// The user's settings, stored per user under Orvanta/Festmark, group "Settings", and the
// entry that starts the program at login.

struct Settings {
    int startDays = 2; // "Startday": days back
    int stopDays = 7;  // "Stopday": days ahead
    int oemFile = 0;   // "OEM": nonzero, the date list is in code page 850
    QString filePath;  // "FilePath"
    int autoStart = 1; // "auto": nonzero, started at login
};

constexpr int kMaxStartDays = 3652;
constexpr int kMaxStopDays = 13149;

// Values outside the options' ranges are brought into them: a hand-edited file must not
// start a scan that runs for hours.
Settings LoadSettings(const QString &defaultFilePath);
void SaveSettings(const Settings &settings);

// "Festmark.txt" beside the program, or in the home folder when the program's folder is not
// the user's to write (a system-wide install).
QString DefaultFilePath(const QString &exePath);

// Enters the program among those started at login, or removes it; failures are silent.
void WriteAutostartEntry(bool enabled, const QString &exePath);
QString AutostartEntryPath(); // Linux: the XDG autostart desktop entry
