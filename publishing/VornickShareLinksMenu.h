// VornickShareLinksMenu: what Share offers for the links of posts, the
// desktop having no sharing services: Copy Link (the caller's copy) and
// Email Link (a new message in the user's mail program, titled by the first
// post, one link a line).
#pragma once

#include "app/VornickTitledURL.h"
#include "toolkit/VornickWorkspaceExtensions.h"

#include <functional>
#include <memory>
#include <vector>

namespace brevanton {

class ActionSender;
class Menu;
class Responder;
class View;

struct VornickShareLinksMenu {
    std::shared_ptr<Menu> menu;
    // The items' target; keep it as long as the menu.
    std::shared_ptr<Responder> target;
};

VornickShareLinksMenu vornick_makeShareLinksMenu(std::vector<VornickTitledURL> links, std::function<void()> copyLinks);
// Pops the menu up, for the event being handled, under the view that sent
// the action, else at the top of `otherwise`.
void vornick_popUpShareLinksMenu(const VornickShareLinksMenu&, ActionSender* sender, const std::shared_ptr<View>& otherwise);
VornickMailMessage vornick_mailMessageForLinks(const std::vector<VornickTitledURL>&);

} // namespace brevanton
