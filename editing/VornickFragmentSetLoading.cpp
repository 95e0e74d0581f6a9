#include "editing/VornickFragmentSetLoading.h"

#include "html/VornickFragmentSet.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickLog.h"

namespace brevanton {

namespace {

std::shared_ptr<VornickFragmentSet> logged(std::shared_ptr<VornickFragmentSet> set, const Error& error)
{
    if (!set)
        VornickGeneralLog(u"The document's snippet set was not read: " + error.localizedDescription());
    return set;
}

VornickFragmentSetLoaders& loaders()
{
    static VornickFragmentSetLoaders installed = VornickDefaultFragmentSetLoaders();
    return installed;
}

} // namespace

VornickFragmentSetLoaders VornickDefaultFragmentSetLoaders()
{
    return {
        [](VornickEnduringFileReference& reference) {
            Error error;
            return logged(VornickFragmentSet::fragmentSetFromEnduringFileReference(reference, &error), error);
        },
        [](const URL& url) {
            Error error;
            return logged(VornickFragmentSet::fragmentSetWithContentsOfURL(url, &error), error);
        },
    };
}

void VornickSetFragmentSetLoaders(VornickFragmentSetLoaders newLoaders)
{
    loaders() = std::move(newLoaders);
}

const VornickFragmentSetLoaders& VornickCurrentFragmentSetLoaders()
{
    return loaders();
}

} // namespace brevanton
