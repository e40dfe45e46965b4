#pragma once

#include "LoginNote.h"

#include <QString>

#include <string>

// The login note on the desktop (festmark --notify): shown, and waited on until it is
// answered, closed or the session ends. "Anzeigen" starts the window as a program of its own;
// without a notification service the window starts at once. The exit status; what went wrong
// in `problem`.
int ShowLoginNotification(const LoginNote &note, const QString &exePath, std::string &problem);
