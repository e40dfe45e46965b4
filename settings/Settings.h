#pragma once

#include <QString>

// The user's settings, stored per user under Orvanta/Festmark, group "Settings" (an INI file
// on Linux, the registry on Windows), read once at start and written once at the end.

struct Settings {
    int startDays = 2; // "Startday": days back
    int stopDays = 7;  // "Stopday": days ahead
    int oemFile = 0;   // "OEM": nonzero, the date list is in code page 850
    QString filePath;  // "FilePath"
    int autoStart = 1; // "auto": nonzero, started at login

    bool operator==(const Settings &) const = default;
};

constexpr int kMaxStartDays = 3652;
constexpr int kMaxStopDays = 13149;

// Missing values and values that are no 32-bit whole number take their defaults; values
// outside the options' ranges are brought into them: a hand-edited file must not start a scan
// that runs for hours. A settings file that is no regular file is not read: `problem` says so.
Settings LoadSettings(const QString &defaultFilePath, QString *problem = nullptr);
// All five values at once, or none (false, `problem` says why): the old settings then stay.
bool SaveSettings(const Settings &settings, QString *problem = nullptr);

// The defaults the options' "Standard" restores (code page ANSI, like a first start).
Settings DefaultSettings(const QString &defaultFilePath);

// "Festmark.txt" beside the program, or in the home folder when the program's folder is not
// the user's to write (a system-wide install).
QString DefaultFilePath(const QString &exePath);
