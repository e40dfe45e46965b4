#pragma once

#include "Services.h"

#include <map>
#include <memory>

class QSoundEffect;

// The program's wave resources through Qt Multimedia. Without an audio device or sound
// server the effects fail quietly and the program stays silent.
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
