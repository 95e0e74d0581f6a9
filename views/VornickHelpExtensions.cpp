#include "views/VornickHelpExtensions.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"
#include "platform/views/HelpManager.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "views/VornickAlertExtensions.h"

namespace brevanton {

namespace {

void reportHelpPageNotShown(const std::u16string& anchor, const std::u16string& book, bool pageFound)
{
    std::u16string topic = u"\u201c" + anchor + u"\u201d";
    std::u16string reason = pageFound
        ? u"Its page is there, but no program could be started to show it: Brevanton opens help pages with xdg-open, of the package xdg-utils."
        : u"The page " + anchor + u".html is missing from the folder \u201c" + book + u"\u201d of Brevanton's resources ("
            + toUTF16(Bundle::main().resourcePath()) + u"). Reinstalling Brevanton puts it back.";
    VornickGeneralLog(u"Help topic " + topic + u" not shown: " + reason);
    auto alert = vornick_alertWithMessageText(u"The help topic " + topic + u" cannot be shown.", u"OK", std::nullopt,
                                              std::nullopt, reason);
    alert->runModal();
}

} // namespace

void vornick_openHelpAnchor(std::u16string_view anchor)
{
    std::u16string book = Bundle::main().objectForInfoDictionaryKey(u"CFBundleHelpBookName").stringValue();
    std::u16string name(anchor);
    auto page = HelpManager::shared().pageForHelpAnchor(name, book);
    if (page && vornick_openFileWithDesktop(*page))
        return;
    reportHelpPageNotShown(name, book, page.has_value());
}

} // namespace brevanton
