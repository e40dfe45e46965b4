#pragma once

#include <QMainWindow>

class CFestelForm;
class MessageBoxService;
class SoundService;

// The one window: a fixed-size frame titled with the name and version, with its menu, around
// the form.
// Closing it (close box, Alt+F4, "Beenden") only asks the application to end; the
// application then ends the program its one way.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(MessageBoxService &boxes, SoundService &sounds, QWidget *parent = nullptr);
    ~CMainFrame() override;

    CFestelForm *GetActiveView() const { return m_form; }
    void OnInitialUpdate(); // fits the frame to the form and centres it
    void OnHelpIndex();
    void OnAppAbout();

signals:
    void closeRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenus();

    SoundService &m_sounds;
    CFestelForm *m_form;
    class CHelpWindow *m_help = nullptr; // made at its first F1, beside the window
};
