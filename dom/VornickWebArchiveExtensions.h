// Small questions about web resources and archives: is a resource HTML, what
// is its text, and readable dumps for debugging.
#pragma once

#include <optional>
#include <string>

namespace brevanton {

class WebArchive;
class WebResource;

// True when the MIME type is "text/html" (case ignored).
bool vornick_isHTML(const WebResource&);
// The data decoded with the resource's text encoding; null without a name,
// for an unknown name, without data, or when the data is not valid in it.
std::optional<std::u16string> vornick_stringValue(const WebResource&);

// Debugging dumps.
std::u16string splat(const WebResource&);
std::u16string splat(const WebArchive&);

} // namespace brevanton
