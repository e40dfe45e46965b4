#pragma once

#include <memory>

// The program's two wave sounds, played asynchronously and looping until replaced or
// stopped. Handed to their users as an interface, so that tests can record instead of play.
class SoundService {
public:
    virtual ~SoundService() = default;
    virtual void PlayLooping(int id) = 0; // replaces the sound that plays
    virtual void StopAll() = 0;
};

// The platform's own player: libcanberra on Linux (through PulseAudio, PipeWire or ALSA),
// PlaySound on Windows. The waves come from the program's resources (":/sounds/<id>.wav").
// Without a sound server or device it stays silent, says nothing and waits for nothing; it
// connects only when a sound is first played.
std::unique_ptr<SoundService> CreateSoundService();
