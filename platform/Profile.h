#pragma once

#include <QString>

// Per-user profile values under organisation "Orvanta", application "Festmark": an INI file
// on Linux, the registry on Windows. Reading a missing value yields the default.

int GetProfileInt(const QString &section, const QString &key, int defaultValue);
QString GetProfileString(const QString &section, const QString &key, const QString &defaultValue);
void WriteProfileInt(const QString &section, const QString &key, int value);
void WriteProfileString(const QString &section, const QString &key, const QString &value);
