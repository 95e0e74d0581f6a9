// Values attached to a web frame under a key, so that state kept for a frame
// lives and dies with it. Keys are the system's own ("com.Orbendalworks.
// Brevanton." followed by a name). Access is atomic; the values of a frame
// that has gone away are dropped at the next change of any frame's values.
#pragma once

#include <any>
#include <memory>
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

// The frames that hold values, and of those the one showing `document`.
std::vector<std::shared_ptr<WebFrame>> VornickWebFramesWithAssociatedValues();
std::shared_ptr<WebFrame> VornickWebFrameWithAssociatedValuesForDocument(const DOMDocument&);

} // namespace brevanton
