// Opening the application's help.
#pragma once

#include <string>

namespace brevanton {

// Opens the anchor in the help book that the main bundle names under
// "CFBundleHelpBookName".
void vornick_openHelpAnchor(const std::u16string& anchor);

} // namespace brevanton
