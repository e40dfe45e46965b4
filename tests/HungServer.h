#pragma once

#ifndef _WIN32
#include <QByteArray>

#include <cstdio>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A sound server that takes connections and never answers, as a stopped PulseAudio does:
// a socket that listens at `path` and is never read. Closed when the test ends.
class HungServer {
public:
    explicit HungServer(const QByteArray &path)
        : m_socket(::socket(AF_UNIX, SOCK_STREAM, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.constData());
        m_listening =
            ::bind(m_socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
            ::listen(m_socket, 4) == 0;
    }
    ~HungServer() { ::close(m_socket); }
    HungServer(const HungServer &) = delete;
    HungServer &operator=(const HungServer &) = delete;

    bool Listening() const { return m_listening; }

private:
    int m_socket;
    bool m_listening = false;
};
#endif
