#include "TerminationSignals.h"

#include <QSocketNotifier>

#ifdef _WIN32
#include <QMetaObject>
#include <QPointer>
#include <windows.h>
#else
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <atomic>

namespace {

// Lock-free, so that a signal handler may set it.
std::atomic<bool> g_pending{false};
static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace

bool TerminationSignals::Pending() noexcept
{
    return g_pending.load(std::memory_order_relaxed);
}

#ifdef _WIN32
namespace {

QPointer<TerminationSignals> g_instance;

BOOL WINAPI OnConsoleEvent(DWORD)
{
    // Runs on a thread of its own: the window's thread takes it from here.
    g_pending.store(true, std::memory_order_relaxed);
    if (g_instance)
        QMetaObject::invokeMethod(g_instance.data(), &TerminationSignals::received,
                                  Qt::QueuedConnection);
    return TRUE;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    g_instance = this;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

TerminationSignals::~TerminationSignals()
{
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}
#else
namespace {

// A signal handler may only write; the event loop reads the other end.
int g_signalPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int)
{
    g_pending.store(true, std::memory_order_relaxed);
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        emit received();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (m_notifier == nullptr)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    delete m_notifier;
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}
#endif
