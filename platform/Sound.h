#pragma once

#include "Services.h"

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

    const QSoundEffect *Current() const { return m_effect.get(); } // null when silent

private:
    std::unique_ptr<QSoundEffect> m_effect;
};
