// The window as a module of its own, loaded by `festmark` only when the window is asked for:
// the terminal's commands then load neither Qt Widgets nor the sound libraries.
#include "FestmarkApp.h"
#include "WindowModuleEntry.h"

#include <QtGlobal>

// Declared through the seam's type: a definition that differs from it does not compile.
extern "C" Q_DECL_EXPORT FestmarkRunWindow festmark_run_window;

extern "C" int festmark_run_window(int *argc, char **argv)
{
    return RunWindow(*argc, argv);
}
