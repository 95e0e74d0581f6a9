// What an oEmbed answer's HTML may bring into a post view: no scripts,
// frames, plug-ins or head elements, no event attributes, no script URLs.
// The site shows the real embed; the editor shows a still stand-in.
#pragma once

namespace brevanton {

class DOMDocumentFragment;

void vornick_removeActiveContentFromFragment(DOMDocumentFragment&);

} // namespace brevanton
