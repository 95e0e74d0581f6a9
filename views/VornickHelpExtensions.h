// Opening the application's help.
#pragma once

#include <string_view>

namespace brevanton {

// Opens the anchor's page of the help book that the main bundle names under
// "CFBundleHelpBookName" in the desktop's web browser (xdg-open, through
// toolkit/VornickWorkspaceExtensions.h, whose opener tests replace). A page
// that cannot be shown, missing from the book or with no program to show
// it, is reported in words: an alert naming the topic, and a line in the
// general log. The anchors the program names are in VornickHelpAnchors.h.
void vornick_openHelpAnchor(std::u16string_view anchor);

} // namespace brevanton
