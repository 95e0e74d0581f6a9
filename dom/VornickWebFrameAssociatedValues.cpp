#include "dom/VornickWebFrameAssociatedValues.h"

#include "platform/web/WebFrame.h"

#include <map>
#include <mutex>

namespace brevanton {

namespace {

struct FrameValues {
    std::weak_ptr<const WebFrame> frame;
    std::map<std::string, std::any> values;
};

struct Store {
    std::mutex mutex;
    std::map<const WebFrame*, FrameValues> frames;
    size_t changesSinceSweep { 0 };
};

Store& store()
{
    static Store* shared = new Store;
    return *shared;
}

// The values of a live frame; a dead frame's entry (its address may be
// reused by a new frame) counts as absent. It is dropped by the next change,
// outside the lock, since its values' destructors may come back here.
FrameValues* liveEntry(Store& store, const WebFrame& frame)
{
    auto it = store.frames.find(&frame);
    if (it == store.frames.end() || it->second.frame.expired())
        return nullptr;
    return &it->second;
}

} // namespace

std::string VornickWebFrameAssociatedValueKey(std::string_view name)
{
    return "com.Orbendalworks.Brevanton." + std::string(name);
}

std::any vornick_associatedValue(const WebFrame& frame, const std::string& key)
{
    auto& shared = store();
    std::lock_guard lock(shared.mutex);
    auto* entry = liveEntry(shared, frame);
    if (!entry)
        return {};
    auto it = entry->values.find(key);
    return it == entry->values.end() ? std::any() : it->second;
}

void vornick_setAssociatedValue(const WebFrame& frame, const std::string& key, std::any value)
{
    std::vector<std::any> released;
    std::any replaced;
    {
        auto& shared = store();
        std::lock_guard lock(shared.mutex);
        auto release = [&released](FrameValues& entry) {
            for (auto& [name, old] : entry.values)
                released.push_back(std::move(old));
        };
        // Dead frames are swept out once there were as many changes as
        // frames since the last sweep, so that a change costs constant time
        // on average however many frames a page has.
        if (++shared.changesSinceSweep >= shared.frames.size()) {
            shared.changesSinceSweep = 0;
            for (auto it = shared.frames.begin(); it != shared.frames.end();) {
                if (it->second.frame.expired()) {
                    release(it->second);
                    it = shared.frames.erase(it);
                } else
                    ++it;
            }
        }
        // A dead frame's entry at this frame's address is none of its own.
        if (auto dead = shared.frames.find(&frame); dead != shared.frames.end() && dead->second.frame.expired()) {
            release(dead->second);
            shared.frames.erase(dead);
        }
        auto* entry = liveEntry(shared, frame);
        if (!entry) {
            if (!value.has_value())
                return;
            auto weak = frame.weak_from_this();
            if (weak.expired())
                return; // Not owned by a shared pointer: nothing can keep state for it.
            entry = &shared.frames[&frame];
            entry->frame = std::move(weak);
        }
        auto it = entry->values.find(key);
        if (it != entry->values.end())
            replaced = std::move(it->second);
        if (value.has_value())
            entry->values[key] = std::move(value);
        else if (it != entry->values.end())
            entry->values.erase(it);
        if (entry->values.empty())
            shared.frames.erase(&frame);
    }
}

std::vector<std::shared_ptr<WebFrame>> VornickWebFramesWithAssociatedValues()
{
    auto& shared = store();
    std::lock_guard lock(shared.mutex);
    std::vector<std::shared_ptr<WebFrame>> frames;
    for (auto& [address, entry] : shared.frames) {
        if (auto frame = entry.frame.lock())
            frames.push_back(std::const_pointer_cast<WebFrame>(frame));
    }
    return frames;
}

std::shared_ptr<WebFrame> VornickWebFrameWithAssociatedValuesForDocument(const DOMDocument& document)
{
    for (auto& frame : VornickWebFramesWithAssociatedValues()) {
        if (frame->domDocument().get() == &document)
            return frame;
    }
    return nullptr;
}

} // namespace brevanton
