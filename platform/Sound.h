#pragma once

#include <map>
#include <memory>

class QSoundEffect;

// The program's two wave sounds, played asynchronously and looping until replaced or
// stopped. Handed to their users as an interface, so that tests can record instead of play.
class SoundService {
public:
    virtual ~SoundService() = default;
    virtual void PlayLooping(int id) = 0; // replaces the sound that plays
    virtual void StopAll() = 0;
};

// Through Qt Multimedia. Without an audio device or sound server the effects fail quietly
// and the program stays silent.
class QtSoundService : public SoundService {
public:
    QtSoundService();
    ~QtSoundService() override;

    void PlayLooping(int id) override;
    void StopAll() override;

    const QSoundEffect *Current() const { return m_current; } // null when silent

private:
    // One effect per sound, loaded on its first play and kept, so that a replay is instant.
    std::map<int, std::unique_ptr<QSoundEffect>> m_effects;
    QSoundEffect *m_current = nullptr;
};
