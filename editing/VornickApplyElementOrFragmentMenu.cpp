#include "editing/VornickApplyElementOrFragmentMenu.h"

#include "editing/VornickApplyElementOrFragmentMenuItems.h"
#include "editing/VornickContentEditingView.h"
#include "html/VornickFragmentDescription.h"
#include "html/VornickFragmentGroup.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

size_t snippetCountOf(const std::shared_ptr<VornickFragmentSet>& set)
{
    size_t count = 0;
    if (set) {
        for (const auto& group : set->groups())
            count += group->fragmentDescriptions().size() + 1;
    }
    return count;
}

template<typename T> bool sameObject(const std::weak_ptr<const void>& held, const std::shared_ptr<T>& current)
{
    return held.lock() == std::static_pointer_cast<const void>(current) && (current || held.expired());
}

} // namespace

std::shared_ptr<VornickApplyElementOrFragmentMenu> VornickApplyElementOrFragmentMenu::create(std::u16string title)
{
    return std::make_shared<VornickApplyElementOrFragmentMenu>(std::move(title));
}

VornickApplyElementOrFragmentMenu::VornickApplyElementOrFragmentMenu(std::u16string title)
    : Menu(std::move(title))
{
}

void VornickApplyElementOrFragmentMenu::setSemantic(long semantic)
{
    if (semantic == m_semantic)
        return;
    m_semantic = semantic;
    m_source.built = false;
}

void VornickApplyElementOrFragmentMenu::update()
{
    auto view = m_view.lock();
    auto frame = view ? view->focusedWebFrame() : nullptr;
    auto spec = frame ? vornick_HTMLSpec(*frame) : nullptr;
    auto base = frame ? vornick_baseFragmentSet(*frame) : nullptr;
    auto user = frame ? vornick_userFragmentSet(*frame) : nullptr;
    size_t snippets = snippetCountOf(base) + snippetCountOf(user);
    if (!m_source.built || !sameObject(m_source.spec, spec) || !sameObject(m_source.baseFragmentSet, base)
        || !sameObject(m_source.userFragmentSet, user) || m_source.snippetCount != snippets) {
        m_source = Source { spec, base, user, snippets, true };
        rebuild();
    }
    Menu::update();
}

void VornickApplyElementOrFragmentMenu::rebuild()
{
    removeAllItems();
    auto view = m_view.lock();
    auto frame = view ? view->focusedWebFrame() : nullptr;
    if (!frame)
        return;
    for (const auto& set : { vornick_baseFragmentSet(*frame), vornick_userFragmentSet(*frame) }) {
        if (!set)
            continue;
        for (const auto& group : set->groups()) {
            if (group->fragmentDescriptions().empty())
                continue;
            auto submenu = Menu::create(group->title());
            for (const auto& description : group->fragmentDescriptions())
                submenu->addItem(std::make_shared<VornickApplyFragmentMenuItem>(description->displayName(), description, m_semantic));
            auto item = MenuItem::create(group->title());
            item->setSubmenu(submenu);
            addItem(item);
        }
    }
    auto spec = vornick_HTMLSpec(*frame);
    if (m_semantic == VornickApplyFragmentMenuItem::applySemantic && spec) {
        if (numberOfItems())
            addItem(MenuItem::separatorItem());
        auto elements = Menu::create(u"Elements");
        for (const auto& elementSpec : spec->bodyElementSpecs())
            elements->addItem(std::make_shared<VornickApplyElementSpecMenuItem>(u"<" + asciiLowercase(elementSpec->tagName()) + u">", elementSpec));
        auto item = MenuItem::create(u"Elements");
        item->setSubmenu(elements);
        addItem(item);
    }
}

} // namespace brevanton
