#include "Sound.h"

#include <QFile>
#include <QString>

#ifdef _WIN32
#include <QResource>
#include <map>
#include <windows.h>
#else
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <canberra.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#endif

namespace {

QString WaveResource(int id)
{
    return QStringLiteral(":/sounds/%1.wav").arg(id);
}

#ifdef _WIN32

// PlaySound loops by itself and plays from memory: the resources stay where they are.
class WindowsSoundService : public SoundService {
public:
    ~WindowsSoundService() override { StopAll(); }

    void PlayLooping(int id) override
    {
        const QResource wave(WaveResource(id));
        if (!wave.isValid())
            return;
        PlaySoundW(reinterpret_cast<LPCWSTR>(wave.data()), nullptr,
                   SND_MEMORY | SND_ASYNC | SND_LOOP | SND_NODEFAULT);
    }

    void StopAll() override { PlaySoundW(nullptr, nullptr, 0); }
};

#else

// libcanberra plays a sound once; when a play has finished, the next one starts, until the
// sound is replaced or stopped. Each play has an id of its own, so that a late "finished" of
// a sound stopped since never starts it again. All of it happens on a thread of its own: a
// sound server that hangs (stopped, or busy) holds up neither the window nor a way out.
class CanberraPlayer {
public:
    ~CanberraPlayer()
    {
        Stop();
        // Ends the plays and their threads: no "finished" comes after this.
        if (m_context != nullptr)
            ca_context_destroy(m_context);
    }

    void Loop(int id)
    {
        Stop();
        m_sound = id;
        Play();
    }

    void Stop()
    {
        m_sound = 0;
        if (m_context != nullptr && m_play != 0)
            ca_context_cancel(m_context, m_play);
        m_play = 0;
    }

    void Finished(std::uint32_t play)
    {
        if (m_play == play && m_sound != 0)
            Play();
    }

    // Called on one of libcanberra's threads with the finished play's id.
    std::function<void(std::uint32_t)> onFinished;

private:
    void Play()
    {
        const QString file = WaveFile(m_sound);
        if (file.isEmpty() || !Open())
            return;
        ca_proplist *properties = nullptr;
        if (ca_proplist_create(&properties) != CA_SUCCESS)
            return;
        ca_proplist_sets(properties, CA_PROP_MEDIA_FILENAME, QFile::encodeName(file).constData());
        ca_proplist_sets(properties, CA_PROP_CANBERRA_CACHE_CONTROL, "never");
        m_play = ++m_lastPlay;
        if (ca_context_play_full(m_context, m_play, properties, &CanberraPlayer::Done, this) !=
            CA_SUCCESS)
            m_play = 0; // no server, no device: silence
        ca_proplist_destroy(properties);
    }

    static void Done(ca_context *, std::uint32_t play, int error, void *self)
    {
        if (error == CA_SUCCESS) // else stopped, replaced, or the program is ending
            static_cast<CanberraPlayer *>(self)->onFinished(play);
    }

    bool Open()
    {
        if (m_context != nullptr || m_failed)
            return m_context != nullptr;
        // Without anywhere for sound to go, libcanberra would only fill the terminal with
        // ALSA's complaints: such a machine stays silent without asking.
        const Output output = FindOutput();
        m_failed = output == Output::None || !OpenContext(output == Output::Server);
        // A sound server whose libcanberra backend is not installed is still reached through
        // ALSA's own plugin for it.
        if (m_failed && output == Output::Server && m_lastError == CA_ERROR_NODRIVER)
            m_failed = !OpenContext(false);
        return !m_failed;
    }

    bool OpenContext(bool serverOnly)
    {
        if (ca_context_create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            return false;
        }
        ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Festmark",
                                CA_PROP_APPLICATION_ID, "de.orvanta.festmark", nullptr);
        if (serverOnly)
            ca_context_set_driver(m_context, "pulse"); // PulseAudio, or PipeWire speaking it
        m_lastError = ca_context_open(m_context);
        if (m_lastError != CA_SUCCESS) {
            ca_context_destroy(m_context);
            m_context = nullptr;
        }
        return m_context != nullptr;
    }

    enum class Output { None, Server, Card };

    static Output FindOutput()
    {
        if (!qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            return Output::Server;
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/pulse/native")))
            return Output::Server;
        const QDir cards(QStringLiteral("/dev/snd"));
        if (!cards.entryList({QStringLiteral("pcmC*")}, QDir::System).isEmpty())
            return Output::Card;
        return Output::None;
    }

    // libcanberra plays files: each wave is copied out of the resources once.
    QString WaveFile(int id)
    {
        auto found = m_files.find(id);
        if (found != m_files.end())
            return found->second;
        QString path;
        if (m_folder == nullptr)
            m_folder = std::make_unique<QTemporaryDir>();
        if (m_folder->isValid()) {
            path = m_folder->filePath(QStringLiteral("%1.wav").arg(id));
            QFile::remove(path);
            if (!QFile::copy(WaveResource(id), path))
                path.clear();
        }
        m_files.emplace(id, path);
        return path;
    }

    ca_context *m_context = nullptr;
    bool m_failed = false;
    int m_lastError = CA_SUCCESS;
    int m_sound = 0;          // the looping sound, 0 when silent
    std::uint32_t m_play = 0; // the play under way
    std::uint32_t m_lastPlay = 0;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::map<int, QString> m_files;
};

// The window's side: requests go to the player's thread and are never waited for.
class CanberraSoundService : public SoundService {
public:
    CanberraSoundService()
        : m_queue(std::make_shared<Queue>())
    {
        m_thread = std::thread([queue = m_queue] { Run(*queue); });
    }

    ~CanberraSoundService() override
    {
        Post({Request::Kind::Quit, 0});
        // A player stuck in a hung server is left behind rather than waited for; the queue
        // it shares lives on with it.
        std::unique_lock lock(m_queue->mutex);
        if (m_queue->ended.wait_for(lock, std::chrono::seconds(1),
                                    [this] { return m_queue->done; })) {
            lock.unlock();
            m_thread.join();
        } else {
            lock.unlock();
            m_thread.detach();
        }
    }

    void PlayLooping(int id) override
    {
        Post({Request::Kind::Loop, static_cast<std::uint32_t>(id)});
    }
    void StopAll() override { Post({Request::Kind::Stop, 0}); }

private:
    struct Request {
        enum class Kind { Loop, Stop, Finished, Quit } kind;
        std::uint32_t value;
    };
    struct Queue {
        std::mutex mutex;
        std::condition_variable posted, ended;
        std::deque<Request> requests;
        bool done = false;

        void Post(Request request)
        {
            {
                const std::lock_guard lock(mutex);
                requests.push_back(request);
            }
            posted.notify_one();
        }
    };

    void Post(Request request) { m_queue->Post(request); }

    static void Run(Queue &queue)
    {
        {
            CanberraPlayer player;
            player.onFinished = [&queue](std::uint32_t play) {
                queue.Post({Request::Kind::Finished, play});
            };
            for (bool running = true; running;) {
                std::unique_lock lock(queue.mutex);
                queue.posted.wait(lock, [&queue] { return !queue.requests.empty(); });
                const Request request = queue.requests.front();
                queue.requests.pop_front();
                lock.unlock();
                switch (request.kind) {
                case Request::Kind::Loop:
                    player.Loop(static_cast<int>(request.value));
                    break;
                case Request::Kind::Stop:
                    player.Stop();
                    break;
                case Request::Kind::Finished:
                    player.Finished(request.value);
                    break;
                case Request::Kind::Quit:
                    running = false;
                    break;
                }
            }
        }
        const std::lock_guard lock(queue.mutex);
        queue.done = true;
        queue.ended.notify_all();
    }

    std::shared_ptr<Queue> m_queue;
    std::thread m_thread;
};

#endif

} // namespace

std::unique_ptr<SoundService> CreateSoundService()
{
#ifdef _WIN32
    return std::make_unique<WindowsSoundService>();
#else
    return std::make_unique<CanberraSoundService>();
#endif
}
