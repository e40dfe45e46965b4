#pragma once

#include "Settings.h"

// Settings as a test names them, the further sources none.
inline Settings MakeSettings(int startDays, int stopDays, CodePage codePage,
                             const QString &filePath, bool autoStart)
{
    Settings settings;
    settings.startDays = startDays;
    settings.stopDays = stopDays;
    settings.codePage = codePage;
    settings.filePath = filePath;
    settings.autoStart = autoStart;
    return settings;
}
