// Sound: named system sounds and the alert beep. The headless view layer
// plays nothing; it records what was played, in order, so that tests (and a
// later audio backend) can read it.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class Sound {
public:
    // The name the alert beep is recorded under.
    static constexpr const char16_t* BeepName = u"Beep";

    // A sound of the system's set ("Funk", "Tink", "Pop", ...); null for an empty name.
    static std::shared_ptr<Sound> soundNamed(std::u16string name);
    // Plays the alert sound.
    static void beep();

    const std::u16string& name() const { return m_name; }
    // Records the sound as played; answers true (the sound started).
    bool play();

    // The names played since the last clear, oldest first.
    static std::vector<std::u16string> playedSoundNames();
    static void clearPlayedSounds();

    explicit Sound(std::u16string name) : m_name(std::move(name)) {}

private:
    std::u16string m_name;
};

} // namespace brevanton
