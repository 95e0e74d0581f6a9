// Values attached to a web frame under a key, so that state kept for a frame
// lives and dies with it. Keys are the system's own ("com.Orbendalworks.
// Brevanton." followed by a name). Access is atomic; the values of a frame
// that has gone away are dropped at the next change of any frame's values.
#pragma once

#include <any>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMDocument;
class WebFrame;

// The full key for a name: the bundle identifier prefix, then the name.
std::string VornickWebFrameAssociatedValueKey(std::string_view name);

// An empty value when none is attached.
std::any vornick_associatedValue(const WebFrame&, const std::string& key);
// An empty value removes the key.
void vornick_setAssociatedValue(const WebFrame&, const std::string& key, std::any value);

// The value of type T under the key; nothing when none, or one of another type, is attached.
template<typename T> std::optional<T> vornick_associatedValueOfType(const WebFrame& frame, const std::string& key)
{
    auto stored = vornick_associatedValue(frame, key);
    if (auto* typed = std::any_cast<T>(&stored))
        return *typed;
    return std::nullopt;
}

// Nothing removes the key.
template<typename T> void vornick_setAssociatedValueOfType(const WebFrame& frame, const std::string& key, std::optional<T> value)
{
    vornick_setAssociatedValue(frame, key, value ? std::any(std::move(*value)) : std::any());
}

// The frames that hold values, and of those the one showing `document`.
std::vector<std::shared_ptr<WebFrame>> VornickWebFramesWithAssociatedValues();
std::shared_ptr<WebFrame> VornickWebFrameWithAssociatedValuesForDocument(const DOMDocument&);

} // namespace brevanton
