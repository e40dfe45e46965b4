#pragma once

#include "CodePage.h"
#include "Jubilee.h"

#include <QString>
#include <QStringList>

#include <optional>

// The user's settings, stored per user under Orvanta/Festmark, group "Settings" (an INI file
// on Linux, the registry on Windows), read once at start and written once at the end.

struct Settings {
    int startDays = 2;                  // "Startday": days back
    int stopDays = 7;                   // "Stopday": days ahead
    CodePage codePage = CodePage::Ansi; // "OEM": 0 ANSI, any other value OEM (code page 850)
    // False where the stored "OEM" was neither 0 nor 1: read as OEM, and the options check
    // neither button (confirmed so, it is stored as -1).
    bool codePageChosen = true;
    QString filePath;        // "FilePath": the date list, the first source
    bool autoStart = true;   // "auto": started at login
    bool notifyOnly = false; // "Notify": at login only a notification (festmark --notify)
    QStringList sources;     // "Sources": further date lists and address books, in their order
    LeapDay leapDay = LeapDay::OnlyInLeapYears; // "LeapDay": "29.02", "28.02" or "01.03"
    QStringList hidden; // "Hidden": entries hidden from every row, by their HiddenKey

    bool operator==(const Settings &) const = default;
};

constexpr int kMaxStartDays = 3652;
constexpr int kMaxStopDays = 13149;

// Missing values and values that are no 32-bit whole number take their defaults; values
// outside the options' ranges are brought into them: a hand-edited file must not start a scan
// that runs for hours. A settings file that is no regular file is not read: `problem` says so.
Settings LoadSettings(const QString &defaultFilePath, QString *problem = nullptr);
// "29.02", "28.02", "01.03" as the settings and --leap-day write them; none for other texts.
std::optional<LeapDay> LeapDayFrom(const QString &text);
QString LeapDayText(LeapDay leapDay);

// The date list and the further sources, in the order their rows come on a day.
QStringList SourcesOf(const Settings &settings);

// All values at once, or none (false, `problem` says why): the old settings then stay.
bool SaveSettings(const Settings &settings, QString *problem = nullptr);

// The defaults the options' "Standard" restores (code page ANSI, like a first start).
Settings DefaultSettings(const QString &defaultFilePath);

// "Festmark.txt" beside the program, or in the home folder when the program's folder is not
// the user's to write (a system-wide install).
QString DefaultFilePath(const QString &exePath);
