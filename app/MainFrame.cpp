#include "MainFrame.h"

#include "AboutDlg.h"
#include "FestelForm.h"
#include "HelpWindow.h"
#include "Services.h"
#include "Sound.h"
#include "Strings.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>

CMainFrame::CMainFrame(MessageBoxService &boxes, SoundService &sounds, QWidget *parent)
    : QMainWindow(parent)
    , m_sounds(sounds)
    , m_form(new CFestelForm(boxes, sounds, this))
{
    // Title bar, system menu, minimise and close; no sizing, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResString(ids::kDocumentString));
    setCentralWidget(m_form);
    createMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_form, &CFestelForm::aboutRequested, this, &CMainFrame::OnAppAbout);
    connect(m_form, &CFestelForm::exitRequested, this, &QWidget::close);
}

CMainFrame::~CMainFrame()
{
    // No sound outlives the window; the form's destructor then saves the settings.
    m_sounds.StopAll();
}

void CMainFrame::createMenus()
{
    QMenu *fileMenu = menuBar()->addMenu(QStringLiteral("&Datei"));
    fileMenu->addAction(QStringLiteral("&Liste bearbeiten..."), QKeySequence(Qt::CTRL | Qt::Key_E),
                        m_form, &CFestelForm::OnEditList);
    fileMenu->addAction(QStringLiteral("&Optionen"), m_form, &CFestelForm::OnOptionsButton);
    fileMenu->addAction(QStringLiteral("Als &Kalender exportieren..."), m_form,
                        &CFestelForm::OnExportCalendar);
    // The desktop's Quit key, by the same way out as the menu.
    fileMenu->addAction(QStringLiteral("&Beenden"), QKeySequence::Quit, this, &QWidget::close);

    QMenu *helpMenu = menuBar()->addMenu(QStringLiteral("&?"));
    QAction *help =
        helpMenu->addAction(QStringLiteral("&Hilfethemen"), this, &CMainFrame::OnHelpIndex);
    help->setShortcuts({QKeySequence(Qt::Key_F1), QKeySequence(Qt::SHIFT | Qt::Key_F1)});
    helpMenu->addSeparator();
    helpMenu->addAction(QString::fromUtf8("Inf&o über Festmark..."), this, &CMainFrame::OnAppAbout);
}

void CMainFrame::OnInitialUpdate()
{
    m_form->OnInitialUpdate();
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void CMainFrame::OnHelpIndex()
{
    // Beside the main window, not in its way: the help can stay open while the list is used.
    if (m_help == nullptr)
        m_help = new CHelpWindow(this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (!m_form->MayEnd()) // unsaved edits of the list: kept, or the end cancelled
        return;
    emit closeRequested();
}
