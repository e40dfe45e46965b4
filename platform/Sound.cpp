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
#include <QMetaObject>
#include <QObject>
#include <QTemporaryDir>
#include <canberra.h>
#include <map>
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
// sound is replaced or stopped. Each play has an id of its own, so that a late "finished"
// of a sound stopped since never starts it again.
class CanberraSoundService : public QObject, public SoundService {
public:
    ~CanberraSoundService() override
    {
        StopAll();
        // Ends the plays and their threads: no "finished" comes after this.
        if (m_context != nullptr)
            ca_context_destroy(m_context);
    }

    void PlayLooping(int id) override
    {
        StopAll();
        m_sound = id;
        Play();
    }

    void StopAll() override
    {
        m_sound = 0;
        if (m_context != nullptr && m_play != 0)
            ca_context_cancel(m_context, m_play);
        m_play = 0;
    }

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
        if (ca_context_play_full(m_context, m_play, properties, &CanberraSoundService::Finished,
                                 this) != CA_SUCCESS)
            m_play = 0; // no server, no device: silence
        ca_proplist_destroy(properties);
    }

    // On one of libcanberra's threads: the next play starts on the window's thread.
    static void Finished(ca_context *, std::uint32_t play, int error, void *self)
    {
        if (error != CA_SUCCESS)
            return; // stopped, replaced, or the program is ending
        auto *service = static_cast<CanberraSoundService *>(self);
        QMetaObject::invokeMethod(
            service,
            [service, play] {
                if (service->m_play == play && service->m_sound != 0)
                    service->Play();
            },
            Qt::QueuedConnection);
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
