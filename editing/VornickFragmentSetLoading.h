// How the editing view reads the snippet set a document names. The snippet
// subsystem installs its loaders; until it does, no set is read (the
// document still loads, without a user snippet set).
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

void VornickSetFragmentSetLoaders(VornickFragmentSetLoaders);
const VornickFragmentSetLoaders& VornickCurrentFragmentSetLoaders();

} // namespace brevanton
