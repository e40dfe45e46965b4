#include "FestmarkApp.h"

#include "FestelForm.h"
#include "MainFrame.h"
#include "Services.h"
#include "Sound.h"
#include "TerminationSignals.h"
#include "Translations.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QIcon>
#include <QSessionManager>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <vector>

CFestmarkApp::CFestmarkApp(MessageBoxService &boxes, SoundService &sounds, QObject *parent)
    : QObject(parent)
    , m_boxes(boxes)
    , m_sounds(sounds)
    , m_signals(new TerminationSignals(this))
{
    // In place before the first scan, whose messages already run an event loop.
    connect(m_signals, &TerminationSignals::received, this, &CFestmarkApp::Quit);
}

CFestmarkApp::~CFestmarkApp() = default;

void CFestmarkApp::InitInstance()
{
    // Icon 128 for every window of the program: the frame, the about box, the messages.
    QApplication::setWindowIcon(LoadAppIcon());
    m_frame = std::make_unique<CMainFrame>(m_boxes, m_sounds);
    connect(m_frame.get(), &CMainFrame::closeRequested, this, &CFestmarkApp::Quit);
    m_frame->OnInitialUpdate();
    CFestelForm *form = m_frame->GetActiveView();
    form->SetInfoButtonBitmap();

    // The window stands and is painted before the first scan: the empty form shows briefly.
    // Its first expose paints it.
    m_frame->show();
    const QDeadlineTimer deadline(2000);
    while (!m_quitting && m_frame->windowHandle() != nullptr &&
           !m_frame->windowHandle()->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (m_quitting)
        return;
    if (!form->SettingsProblem().isEmpty())
        m_boxes.Show(form, form->SettingsProblem());
    form->RunScan();
}

int CFestmarkApp::Run()
{
    if (m_quitting)
        return 0;
    m_running = true;
    const int status = QApplication::exec();
    m_running = false;
    return status;
}

void CFestmarkApp::Quit()
{
    if (m_quitting)
        return;
    m_quitting = true;
    // Open dialogs end as if cancelled; their nested loops unwind before the frame goes.
    for (QWidget *modal = QApplication::activeModalWidget(); modal != nullptr;) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        QWidget *next = QApplication::activeModalWidget();
        if (next == modal)
            break; // it would not close; the loops end below all the same
        modal = next;
    }
    if (m_frame)
        m_frame->hide();
    m_sounds.StopAll();
    // Before the loop runs (a way out during the first scan's message) Run() sees the flag.
    if (m_running)
        QCoreApplication::exit(0);
}

namespace {

// A Qt message held back while the application object connects to the display.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler g_defaultHandler = nullptr;
std::vector<HeldMessage> *g_heldMessages = nullptr;

// Without a display Qt ends the program with an abort and a page of English advice; the
// user gets one German line and status 1 instead.
void HoldStartupMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        std::fputs("festmark: Keine grafische Anzeige gefunden, das Fenster kann nicht geöffnet "
                   "werden (die Jubiläen im Terminal zeigt \"festmark --list\").\n",
                   stderr);
        std::_Exit(1);
    }
    g_heldMessages->push_back({type, context.category, text});
}

} // namespace

int RunWindow(int &argc, char **argv)
{
    std::vector<HeldMessage> held;
    g_heldMessages = &held;
    g_defaultHandler = qInstallMessageHandler(HoldStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_defaultHandler);
    for (const HeldMessage &message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        g_defaultHandler(message.type, context, message.text);
    }
    g_heldMessages = nullptr;

    // Desktops match the running window to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.orvanta.festmark"));
    QApplication::setQuitOnLastWindowClosed(false);
    InstallGermanTranslations();

    MessageBoxService boxes;
    const std::unique_ptr<SoundService> sounds = CreateSoundService();
    CFestmarkApp festmark(boxes, *sounds);
    // The end of the desktop session takes the same way out; the autostart entry brings the
    // program back, so the session need not restart it.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &festmark,
                     [&festmark](QSessionManager &manager) {
                         manager.setRestartHint(QSessionManager::RestartNever);
                         festmark.Quit();
                         // Windows ends the process as soon as this returns: what the
                         // frame's destructor would save must be saved now.
                         if (CMainFrame *frame = festmark.MainFrame()) {
                             QString problem;
                             if (!frame->GetActiveView()->SaveState(&problem))
                                 std::fprintf(stderr, "festmark: %s\n",
                                              problem.toLocal8Bit().constData());
                         }
                     });
    QObject::connect(
        &app, &QGuiApplication::saveStateRequest, &festmark,
        [](QSessionManager &manager) { manager.setRestartHint(QSessionManager::RestartNever); });
    festmark.InitInstance();
    return festmark.Run();
}
