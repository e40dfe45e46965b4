// The window as a module of its own, loaded by `festmark` only when the window is asked for:
// the terminal's commands then load neither Qt Widgets nor the sound libraries.
#include "FestmarkApp.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT int festmark_run_window(int *argc, char **argv)
{
    return RunWindow(*argc, argv);
}
