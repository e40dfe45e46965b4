#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include <chrono>
#include <string_view>

class QIcon;
class QPixmap;
class QPushButton;

class QWidget;

// What the window's parts share: message boxes, the wait cursor, texts and pictures from the
// program's resources, and the file-open dialog.

// Message boxes: modal, owned by a widget, caption "Festmark", OK only, no icon. An object
// handed to its users, so that tests can record the texts instead of showing them.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual void Show(QWidget *owner, const QString &text);
    // A question with buttons of its own, the first one the default: the index of the one
    // pressed, or -1 when the box was closed otherwise.
    virtual int Ask(QWidget *owner, const QString &text, const QStringList &buttons);
    // Opens a file in the desktop's default program for it (the user's editor for a list).
    virtual bool OpenInEditor(const QString &path);
};

// The wait cursor for work that holds the event loop: shown by the first Update() once the
// work has run `delay`, and taken down at destruction, whichever way the scope is left. A
// cursor shown for a few milliseconds is never seen, but loading the theme's animated one
// costs a noticeable part of the program's start.
class WaitCursor {
public:
    explicit WaitCursor(std::chrono::milliseconds delay = std::chrono::milliseconds(100));
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

    void Update();

private:
    std::chrono::steady_clock::time_point m_due;
    bool m_shown = false;
};

QString Utf8Text(std::string_view text);  // the program's own UTF-8 texts
QString LoadResString(int id);            // the string table
QPixmap LoadBitmap(int id);               // null when the program has no such bitmap
QIcon LoadAppIcon();                      // icon 128 at every size the program carries
QString GetOpenFileName(QWidget *parent); // empty when cancelled

// The calendar export's answer: the .ics file to write (empty when cancelled) and the days
// before each event of its reminder, if one is asked for.
struct CalendarExportChoice {
    QString path;
    std::optional<int> alarmDays;
};
// Opens in `folder` (the home folder, or where the last export went); a name without an
// extension gets ".ics".
CalendarExportChoice GetCalendarExport(QWidget *parent, const QString &folder);

// Puts a bitmap on a bitmap button, which then shows the picture only; its text still names
// it for screen readers and its mnemonic still presses it.
void SetButtonImage(QPushButton *button, const QPixmap &bitmap);
