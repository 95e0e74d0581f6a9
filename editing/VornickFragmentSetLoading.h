// How the editing view reads the snippet set a document names. By default
// the snippet set registry reads it (one object per file); a set that
// cannot be read is logged with its reason and the document loads without
// one. Tests may install other loaders.
#pragma once

#include <functional>
#include <memory>

namespace brevanton {

class URL;
class VornickEnduringFileReference;
class VornickFragmentSet;

struct VornickFragmentSetLoaders {
    // The set behind a reference that grants access to its file.
    std::function<std::shared_ptr<VornickFragmentSet>(VornickEnduringFileReference&)> fromEnduringFileReference;
    // The set registered for a URL, or one newly read from it.
    std::function<std::shared_ptr<VornickFragmentSet>(const URL&)> withContentsOfURL;
};

// Installs loaders; an empty one of the two reads nothing.
void VornickSetFragmentSetLoaders(VornickFragmentSetLoaders);
// The registry's loaders.
VornickFragmentSetLoaders VornickDefaultFragmentSetLoaders();
const VornickFragmentSetLoaders& VornickCurrentFragmentSetLoaders();

} // namespace brevanton
