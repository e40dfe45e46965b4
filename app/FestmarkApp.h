#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

class CMainFrame;
class MessageBoxService;
class SoundService;

// Start-up: checks the command line, creates the frame and the form, shows the window and
// runs the first scan once it is painted.
class CFestmarkApp {
public:
    CFestmarkApp(MessageBoxService &boxes, SoundService &sounds);

    // False when the command line holds what the program does not know; nothing is shown.
    bool InitInstance(const QStringList &arguments, QString &error);
    CMainFrame *MainFrame() const { return m_frame; }

private:
    MessageBoxService &m_boxes;
    SoundService &m_sounds;
    QPointer<CMainFrame> m_frame;
};

// SIGTERM, SIGINT and SIGHUP close the window the normal way, so that settings are saved.
void CloseOnTerminationSignals(CMainFrame *frame);
