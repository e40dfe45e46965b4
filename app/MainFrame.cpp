#include "MainFrame.h"

#include "AboutDlg.h"
#include "FestelForm.h"
#include "HelpWindow.h"
#include "Services.h"
#include "Strings.h"
#include "Templates.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>

CMainFrame::CMainFrame(MessageBoxService &boxes, SoundService &sounds, QWidget *parent)
    : QMainWindow(parent)
    , m_boxes(boxes)
    , m_sounds(sounds)
    , m_form(nullptr)
{
    // Title bar, system menu, minimise and close; no sizing, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResString(ids::kDocumentString));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    m_form = new CFestelForm(boxes, sounds, scroller);
    scroller->setWidget(m_form);
    setCentralWidget(scroller);
    CreateMenus();
    connect(m_form, &CFestelForm::aboutRequested, this, &CMainFrame::OnAppAbout);
}

CMainFrame::~CMainFrame()
{
    // No sound outlives the window; the form's destructor then saves the settings.
    m_sounds.StopAll();
}

void CMainFrame::CreateMenus()
{
    for (const MenuPopupTemplate &popup : MainMenu()) {
        QMenu *menu = menuBar()->addMenu(Utf8Text(popup.text));
        for (const MenuItemTemplate &item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction *action = menu->addAction(Utf8Text(item.text));
            action->setData(item.id);
            switch (item.id) {
            case ids::kOptionsCommand:
                connect(action, &QAction::triggered, m_form, &CFestelForm::OnOptionsButton);
                break;
            case ids::kAppExit:
                connect(action, &QAction::triggered, this, &QWidget::close);
                break;
            case ids::kHelpIndex:
                action->setShortcuts(
                    {QKeySequence(Qt::Key_F1), QKeySequence(Qt::SHIFT | Qt::Key_F1)});
                action->setShortcutContext(Qt::ApplicationShortcut);
                connect(action, &QAction::triggered, this, &CMainFrame::OnHelpIndex);
                break;
            case ids::kAppAbout:
                connect(action, &QAction::triggered, this, &CMainFrame::OnAppAbout);
                break;
            default:
                break;
            }
        }
    }
}

void CMainFrame::OnInitialUpdate()
{
    m_form->OnInitialUpdate();
    // The frame fits the form, shrinking only: on a small screen the form scrolls instead.
    const QSize wanted(m_form->width(), m_form->height() + menuBar()->sizeHint().height());
    QSize size = wanted;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = wanted.boundedTo(screen->availableGeometry().size());
    setFixedSize(size);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void CMainFrame::OnHelpIndex()
{
    CHelpWindow help(this);
    help.exec();
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg about(m_boxes, this);
    about.exec();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    hide();
    event->accept();
}
