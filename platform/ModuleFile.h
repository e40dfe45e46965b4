#pragma once

#include <QString>

// Whether the window module at `path` can be loaded at all, told before it is mapped: a file
// cut short would end the program by a bus error when its missing pages are touched. Empty
// when the file is whole (an ELF shared object on Linux, a PE file on Windows), else why
// not, in German.
QString ModuleFileProblem(const QString &path);
