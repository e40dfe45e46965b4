#pragma once

#include <QString>

#include <string_view>

class QIcon;
class QPixmap;
class QWidget;

// The services the shell, the grid and the scan stand on: message boxes, sounds, the wait
// cursor, strings, bitmaps and the file-open dialog. Boxes and sounds are objects handed to
// their users, so that tests can put recorders in their place.

// Message boxes: modal, owned by a widget, caption "Festmark", OK only, no icon.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual void Show(QWidget *owner, const QString &text);
};

// Sounds from the program's resources, asynchronous and looping; one at a time.
class SoundService {
public:
    virtual ~SoundService() = default;
    virtual void PlayLooping(int id) = 0; // replaces the sound that plays
    virtual void StopAll() = 0;
};

// Shown from construction to destruction, whichever way the scope is left.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

QString Utf8Text(std::string_view text);  // the program's own UTF-8 texts
QString LoadResString(int id);            // the string table
QPixmap LoadBitmap(int id);               // null when the program has no such bitmap
QIcon LoadAppIcon();                      // icon 128 at every size the program carries
QString GetOpenFileName(QWidget *parent); // empty when cancelled
void InstallGermanTranslations();         // Qt's own dialogs speak German
