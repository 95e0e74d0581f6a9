#include "publishing/VornickShareLinksMenu.h"

#include "platform/views/CurrentEvent.h"
#include "platform/views/Menu.h"
#include "platform/views/Responder.h"
#include "platform/views/View.h"
#include "toolkit/VornickLog.h"

namespace brevanton {

VornickMailMessage vornick_mailMessageForLinks(const std::vector<VornickTitledURL>& links)
{
    VornickMailMessage message;
    if (!links.empty())
        message.subject = links.front().title.value_or(u"");
    for (const auto& link : links) {
        if (!message.body.empty())
            message.body += u"\n";
        message.body += link.url.absoluteString();
    }
    return message;
}

VornickShareLinksMenu vornick_makeShareLinksMenu(std::vector<VornickTitledURL> links, std::function<void()> copyLinks)
{
    auto menu = Menu::create(u"Share");
    auto copyItem = menu->addItem(u"Copy Link", "vornick_copySharedLinks:", {});
    auto emailItem = menu->addItem(u"Email Link", "vornick_emailSharedLinks:", {});
    auto target = std::make_shared<Responder>();
    target->setActionHandler("vornick_copySharedLinks:", [copyLinks = std::move(copyLinks)](ActionSender*) {
        if (copyLinks)
            copyLinks();
    });
    target->setActionHandler("vornick_emailSharedLinks:", [links = std::move(links)](ActionSender*) {
        if (!vornick_composeMail(vornick_mailMessageForLinks(links)))
            VornickGeneralLog(u"No mail program to send the link with");
    });
    copyItem->setTarget(target);
    emailItem->setTarget(target);
    return { std::move(menu), std::move(target) };
}

void vornick_popUpShareLinksMenu(const VornickShareLinksMenu& share, ActionSender* sender, const std::shared_ptr<View>& otherwise)
{
    auto* view = dynamic_cast<View*>(sender);
    auto anchor = view ? view->sharedAs<View>() : otherwise;
    const Event* event = currentApplicationEvent();
    if (anchor && anchor->window() && event)
        Menu::popUpContextMenu(share.menu, *event, *anchor);
}

} // namespace brevanton
