#pragma once

#include <QMainWindow>

class CFestelForm;
class MessageBoxService;
class SoundService;

// The one window: a fixed-size frame titled "Festmark 4.1", with menu 128, around the form.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(MessageBoxService &boxes, SoundService &sounds, QWidget *parent = nullptr);
    ~CMainFrame() override;

    CFestelForm *GetActiveView() const { return m_form; }
    void OnInitialUpdate(); // fits the frame to the form and centres it
    void OnHelpIndex();
    void OnAppAbout();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateMenus();

    MessageBoxService &m_boxes;
    SoundService &m_sounds;
    CFestelForm *m_form;
};
