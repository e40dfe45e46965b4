#include "FestmarkApp.h"

#include "FestelForm.h"
#include "MainFrame.h"
#include "Services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QIcon>
#include <QSocketNotifier>
#include <QWindow>

#ifndef _WIN32
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

CFestmarkApp::CFestmarkApp(MessageBoxService &boxes, SoundService &sounds)
    : m_boxes(boxes)
    , m_sounds(sounds)
{
}

bool CFestmarkApp::InitInstance(const QStringList &arguments, QString &error)
{
    if (arguments.size() > 1) {
        error = QStringLiteral("festmark: unbekanntes Argument: %1\n"
                               "Aufruf: festmark [--list [--help]]")
                    .arg(arguments.at(1));
        return false;
    }
    // Icon 128 for every window of the program: the frame, the about box, the messages.
    QApplication::setWindowIcon(LoadAppIcon());
    m_frame = new CMainFrame(m_boxes, m_sounds);
    m_frame->OnInitialUpdate();
    CFestelForm *form = m_frame->GetActiveView();
    form->SetInfoButtonBitmap();

    // The window stands and is painted before the first scan: the empty form shows briefly.
    m_frame->show();
    const QDeadlineTimer deadline(2000);
    while (m_frame->windowHandle() != nullptr && !m_frame->windowHandle()->isExposed() &&
           !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    m_frame->repaint();

    form->RunScan();
    return true;
}

#ifndef _WIN32
namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace
#endif

void CloseOnTerminationSignals(CMainFrame *frame)
{
#ifndef _WIN32
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, frame);
    QObject::connect(notifier, &QSocketNotifier::activated, frame, [frame] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        frame->close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
#else
    static_cast<void>(frame);
#endif
}
