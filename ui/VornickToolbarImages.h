// The pictures of the toolbar's items, drawn in code as 16-point template
// shapes and registered as named images (Image::imageNamed) under the names
// the item factory asks for ("BrevantonToolbarIcon...Template").
#pragma once

#include <string>
#include <vector>

namespace brevanton {

// Registers them (once; later calls do nothing).
void VornickRegisterToolbarImages();
// Their names.
const std::vector<std::u16string>& VornickToolbarImageNames();

} // namespace brevanton
