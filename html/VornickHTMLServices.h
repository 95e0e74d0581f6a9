// Start-up wiring of the services that the DOM operations ask of the layers
// above them: a document's type and containment rules from the HTML
// specifications, computed style from the cascade, and per-frame state.
#pragma once

namespace brevanton {

// Installs every provider. Call once on the main thread before any document is
// edited; calling it again changes nothing.
void VornickInstallHTMLServices();

} // namespace brevanton
