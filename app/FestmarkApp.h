#pragma once

#include <QObject>

#include <memory>

class CMainFrame;
class MessageBoxService;
class SoundService;
class TerminationSignals;

// Start-up and the one way out. Every way out (the exit button, Return, the menu, the close
// box, a termination signal, the end of the desktop session) ends in Quit(): open dialogs
// end as if cancelled, the window hides, the sounds stop and the event loop ends. The frame,
// and with it the form that saves the settings, is destroyed after the loop, never inside
// a dialog's nested loop.
class CFestmarkApp : public QObject {
    Q_OBJECT

public:
    CFestmarkApp(MessageBoxService &boxes, SoundService &sounds, QObject *parent = nullptr);
    ~CFestmarkApp() override;

    // Creates the frame and the form, shows the window and runs the first scan once it is
    // painted.
    void InitInstance();
    // The event loop, until a way out is taken; at once when one was taken during start-up.
    int Run();
    void Quit();

    CMainFrame *MainFrame() const { return m_frame.get(); }
    bool IsQuitting() const { return m_quitting; }

private:
    MessageBoxService &m_boxes;
    SoundService &m_sounds;
    TerminationSignals *m_signals;
    std::unique_ptr<CMainFrame> m_frame;
    bool m_quitting = false;
    bool m_running = false;
};

// The window mode, from the QApplication on: returns the exit status.
int RunWindow(int &argc, char **argv);
