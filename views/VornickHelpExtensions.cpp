#include "views/VornickHelpExtensions.h"

#include "platform/foundation/Bundle.h"
#include "platform/views/HelpManager.h"

namespace brevanton {

void vornick_openHelpAnchor(const std::u16string& anchor)
{
    std::u16string book = Bundle::main().objectForInfoDictionaryKey(u"CFBundleHelpBookName").stringValue();
    HelpManager::shared().openHelpAnchor(anchor, book);
}

} // namespace brevanton
