#include "Console.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtGlobal>

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// https://no-color.org: set and not empty; a dumb terminal shows the codes as text.
bool ColourRefused()
{
    return !qEnvironmentVariableIsEmpty("NO_COLOR") || qgetenv("TERM") == "dumb";
}

} // namespace

#ifdef _WIN32
namespace {

// Reopens a standard stream on the console unless it was redirected to a file or a pipe.
void AttachStream(DWORD handle, std::FILE *stream)
{
    const HANDLE current = GetStdHandle(handle);
    if (current != nullptr && current != INVALID_HANDLE_VALUE &&
        GetFileType(current) != FILE_TYPE_UNKNOWN)
        return; // redirected: keep it
    std::FILE *reopened = nullptr;
    freopen_s(&reopened, "CONOUT$", "w", stream);
}

// Rows end in LF and the calendar in CR LF, as written: text mode would add a CR to each.
void WriteBytesAsGiven(std::FILE *stream)
{
    _setmode(_fileno(stream), _O_BINARY);
}

} // namespace

void PrepareConsole()
{
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        AttachStream(STD_OUTPUT_HANDLE, stdout);
        AttachStream(STD_ERROR_HANDLE, stderr);
    }
    WriteBytesAsGiven(stdout);
    WriteBytesAsGiven(stderr);
    SetConsoleOutputCP(CP_UTF8);
}

bool IsTerminal(std::FILE *stream)
{
    return _isatty(_fileno(stream)) != 0;
}

bool ShowsColourCodes(std::FILE *stream)
{
    if (!IsTerminal(stream) || ColourRefused())
        return false;
    const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return GetConsoleMode(console, &mode) &&
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}
#else
void PrepareConsole()
{
    std::signal(SIGPIPE, SIG_IGN);
}

bool IsTerminal(std::FILE *stream)
{
    return isatty(fileno(stream)) != 0;
}

bool ShowsColourCodes(std::FILE *stream)
{
    return IsTerminal(stream) && !ColourRefused();
}
#endif

QString PathFromArgument(const QString &parsed, const QByteArray &bytes)
{
#ifdef _WIN32
    Q_UNUSED(bytes);
    return parsed;
#else
    QStringDecoder utf8(QStringConverter::Utf8);
    QString path = utf8.decode(bytes);
    if (utf8.hasError()) {
        // O_PATH opens without reading: a pipe does not block, a folder stays a folder; the
        // descriptor lives as long as the program.
        const int descriptor = ::open(bytes.constData(), O_PATH | O_CLOEXEC);
        if (descriptor >= 0)
            return QStringLiteral("/proc/self/fd/%1").arg(descriptor);
    }
    Q_UNUSED(parsed);
    return path;
#endif
}

int OpenNamedByBytes(const QByteArray &name)
{
#ifdef _WIN32
    Q_UNUSED(name);
    errno = ENOSYS;
    return -1;
#else
    return ::open(name.constData(), O_WRONLY | O_CLOEXEC);
#endif
}

int OpenReplacementNamedByBytes(const QByteArray &name, QByteArray *temporary, QByteArray *target)
{
#ifdef _WIN32
    Q_UNUSED(name);
    Q_UNUSED(temporary);
    Q_UNUSED(target);
    errno = ENOSYS;
    return -1;
#else
    // A link is written through: its target is replaced, the link stays.
    *target = name;
    for (int hops = 0; hops < 40; ++hops) {
        char link[4096];
        const ssize_t length = ::readlink(target->constData(), link, sizeof link);
        if (length < 0)
            break;
        const QByteArray next(link, length);
        const qsizetype slash = target->lastIndexOf('/');
        *target = next.startsWith('/') || slash < 0 ? next : target->first(slash + 1) + next;
    }
    struct stat existing {};
    const bool exists = ::stat(target->constData(), &existing) == 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary = *target + ".festmark-" +
                     QByteArray::number(static_cast<qulonglong>(::getpid())) + "-" +
                     QByteArray::number(attempt);
        const int descriptor =
            ::open(temporary->constData(), O_WRONLY | O_CLOEXEC | O_CREAT | O_EXCL, 0666);
        if (descriptor < 0 && errno == EEXIST)
            continue; // somebody's file: never touched
        if (descriptor >= 0 && exists && ::fchmod(descriptor, existing.st_mode & 07777) != 0) {
            const int error = errno;
            ::close(descriptor);
            ::unlink(temporary->constData());
            errno = error;
            return -1;
        }
        return descriptor;
    }
    errno = EEXIST;
    return -1;
#endif
}

std::string SystemErrorText(int error)
{
    switch (error) {
    case EPIPE:
        return "die Ausgabe wurde geschlossen";
    case EBADF:
    case EINVAL:
        return "die Ausgabe ist geschlossen";
    case ENOSPC:
        return "kein Platz mehr auf dem Datenträger";
#ifdef EDQUOT // not in the Windows runtime
    case EDQUOT:
        return "das Speicherkontingent ist erschöpft";
#endif
    case EIO:
        return "Ein-/Ausgabefehler";
    case EACCES:
    case EPERM:
        return "keine Berechtigung";
    case ENOENT:
        return "der Ordner existiert nicht";
    case ENOTDIR:
        return "ein Teil des Pfads ist kein Ordner";
    case EISDIR:
        return "ist ein Ordner";
    case EROFS:
        return "der Datenträger ist schreibgeschützt";
    case EEXIST:
        return "die Datei gibt es schon";
    case ENXIO:
        return "kein Gerät und kein lesendes Programm an diesem Namen";
    case ELOOP:
        return "zu viele symbolische Verknüpfungen (eine Schleife?)";
    case ENAMETOOLONG:
        return "der Name ist zu lang";
    default:
        return "Systemfehler " + std::to_string(error);
    }
}

QString ProgramFilePath()
{
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return QString();
        if (length < path.size())
            return QDir::fromNativeSeparators(
                QString::fromWCharArray(path.data(), static_cast<qsizetype>(length)));
        path.resize(path.size() * 2); // a long path: try again with room for it
    }
#else
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
#endif
}

std::optional<QString> ReadSecretLine(const QString &prompt)
{
    if (!IsTerminal(stdin))
        return std::nullopt;
    std::fputs(prompt.toUtf8().constData(), stderr);
    std::fflush(stderr);
#ifdef _WIN32
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    GetConsoleMode(input, &mode);
    SetConsoleMode(input, mode & ~DWORD(ENABLE_ECHO_INPUT));
    std::wstring typed;
    wchar_t c = 0;
    DWORD read = 0;
    bool ended = true;
    while (ReadConsoleW(input, &c, 1, &read, nullptr) && read == 1) {
        if (c == L'\r' || c == L'\n') {
            ended = false;
            break;
        }
        typed += c;
    }
    SetConsoleMode(input, mode);
    std::fputc('\n', stderr);
    if (ended)
        return std::nullopt;
    return QString::fromStdWString(typed);
#else
    termios old{};
    const bool hidden = tcgetattr(STDIN_FILENO, &old) == 0;
    if (hidden) {
        termios quiet = old;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string typed;
    int c = 0;
    bool ended = true;
    while ((c = std::fgetc(stdin)) != EOF) {
        if (c == '\n') {
            ended = false;
            break;
        }
        typed += static_cast<char>(c);
    }
    if (hidden)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::fputc('\n', stderr);
    if (ended)
        return std::nullopt;
    return QString::fromUtf8(typed);
#endif
}
