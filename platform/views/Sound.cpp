#include "platform/views/Sound.h"

#include <mutex>

namespace brevanton {

namespace {
std::mutex playedLock;
std::vector<std::u16string>& playedNames()
{
    static std::vector<std::u16string> names;
    return names;
}
void record(const std::u16string& name)
{
    std::lock_guard lock(playedLock);
    playedNames().push_back(name);
}
}

std::shared_ptr<Sound> Sound::soundNamed(std::u16string name)
{
    if (name.empty())
        return nullptr;
    return std::make_shared<Sound>(std::move(name));
}

void Sound::beep()
{
    record(BeepName);
}

bool Sound::play()
{
    record(m_name);
    return true;
}

std::vector<std::u16string> Sound::playedSoundNames()
{
    std::lock_guard lock(playedLock);
    return playedNames();
}

void Sound::clearPlayedSounds()
{
    std::lock_guard lock(playedLock);
    playedNames().clear();
}

} // namespace brevanton
