// The editing view's context menu and the "Transform to" submenu of a
// selected block. The menu is built in code, anew for every click, from the
// formatting commands that apply where the click is: each item is there
// because its validator says the command would change something, so the
// menu never offers a command that does nothing. A click in a table cell
// also gets the table's commands. Clicks outside the page
// (the path bar, the source loupe) get no menu.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickFragmentDescription.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/views/Menu.h"

#include <algorithm>

namespace brevanton {

namespace {

struct InlineStyleItem {
    const char16_t* title;
    const char* action;
    const char16_t* tag;
};

constexpr InlineStyleItem inlineStyleItems[] = {
    { u"Emphasis", "toggleEmphasized:", u"EM" },
    { u"Strong Emphasis", "toggleStronglyEmphasized:", u"STRONG" },
    { u"Italics", "toggleItalics:", u"I" },
    { u"Bold", "toggleBoldface:", u"B" },
    { u"Superscript", "toggleSuperscript:", u"SUP" },
    { u"Subscript", "toggleSubscript:", u"SUB" },
    { u"Code", "toggleCode:", u"CODE" },
    { u"Deleted Text", "toggleDeleted:", u"DEL" },
    { u"Inserted Text", "toggleInserted:", u"INS" },
    { u"Keyboard Input", "toggleKbd:", u"KBD" },
    { u"Marked Text", "toggleMarked:", u"MARK" },
    { u"Sample Output", "toggleSamp:", u"SAMP" },
    { u"Variable", "toggleVar:", u"VAR" },
};

struct CommandItem {
    const char16_t* title;
    const char* action;
};

constexpr CommandItem tableCommandItems[] = {
    { u"Add Caption", "addTableCaption:" },
    { u"Add Header", "addTableHeader:" },
    { u"Add Footer", "addTableFooter:" },
    { u"Insert Row Above", "insertRowBeforeTableRow:" },
    { u"Insert Row Below", "insertRowAfterTableRow:" },
    { u"Delete Rows", "deleteTableRows:" },
    { u"Insert Column Before", "insertColumnBeforeTableColumn:" },
    { u"Insert Column After", "insertColumnAfterTableColumn:" },
    { u"Delete Columns", "deleteTableColumns:" },
};

// Adds the item to the menu when it applies, aimed at the view.
bool addItemIfEnabled(Menu& menu, VornickContentEditingView& view, std::u16string title, const char* action, long tag = 0)
{
    auto item = MenuItem::create(std::move(title), action);
    item->setTag(tag);
    if (!view.validateMenuItem(*item))
        return false;
    item->setTarget(view.sharedAs<Responder>());
    menu.addItem(item);
    return true;
}

void addSeparatorBetweenGroups(Menu& menu)
{
    if (menu.numberOfItems() > 0 && !menu.items().back()->isSeparatorItem())
        menu.addItem(MenuItem::separatorItem());
}

// Whether the style is on where the click is: all of the selected text has
// it, or, at a caret, it is toggled for the next typed text.
bool inlineStyleIsOn(VornickContentEditingView& view, const std::u16string& tag)
{
    auto range = view.effectiveOperationRange();
    if (!range)
        return false;
    if (range->collapsed()) {
        const auto& toggled = Internals::of(view).toggledInlineStyleElementsForTyping;
        return std::find(toggled.begin(), toggled.end(), tag) != toggled.end();
    }
    auto copy = range->cloneRange();
    vornick_pushRangeEndpointsDownToTextNodes(*copy);
    return !copy->toString().empty() && vornick_allCharactersAreContainedInElementsOfKind(*copy, tag);
}

} // namespace

std::shared_ptr<Menu> VornickContentEditingView::menuForEvent(const Event& event)
{
    if (!Internals::contentRect(*this).containsPoint(convertPointFromView(event.locationInWindow(), nullptr)))
        return nullptr;
    Internals::rebuildContextMenu(*this);
    return View::menuForEvent(event);
}

void VornickContentEditingView::Internals::rebuildContextMenu(VornickContentEditingView& view)
{
    if (!view.menu())
        view.setMenu(Menu::create(u"Content Editing"));
    auto& contextMenu = *view.menu();
    contextMenu.removeAllItems();
    Internals::dropToggledInlineStyleElementsIfCaretMoved(view);

    // Links.
    auto range = view.effectiveOperationRange();
    bool onLink = range && !vornick_inferredTargetElementsOfKinds(*range, { u"A" }).empty();
    addItemIfEnabled(contextMenu, view, onLink ? u"Edit Link\u2026" : u"Make Link\u2026", "insertOrWrapInLink:");
    addItemIfEnabled(contextMenu, view, u"Link to File\u2026", "insertOrWrapInLinkToFile:");

    // Headings.
    auto headings = Menu::create(u"Heading");
    for (long level = 1; level <= 6; ++level)
        addItemIfEnabled(*headings, view, u"Heading " + std::u16string(1, static_cast<char16_t>(u'0' + level)), "changeHeadingLevel:", level);
    addItemIfEnabled(*headings, view, u"Paragraph", "clearHeadingLevel:");
    if (headings->numberOfItems() > 0) {
        addSeparatorBetweenGroups(contextMenu);
        auto item = MenuItem::create(u"Heading");
        item->setSubmenu(headings);
        contextMenu.addItem(item);
    }

    // Inline styles, checked where they are on.
    auto styles = Menu::create(u"Style");
    for (const auto& style : inlineStyleItems) {
        if (addItemIfEnabled(*styles, view, style.title, style.action))
            styles->items().back()->setState(inlineStyleIsOn(view, style.tag) ? OnState : OffState);
    }
    if (styles->numberOfItems() > 0) {
        auto item = MenuItem::create(u"Style");
        item->setSubmenu(styles);
        contextMenu.addItem(item);
    }

    // Spaces.
    addSeparatorBetweenGroups(contextMenu);
    addItemIfEnabled(contextMenu, view, u"Replace Spaces with Non-Breaking Spaces", "replaceWhitespaceWithNonBreakingSpaces:");
    addItemIfEnabled(contextMenu, view, u"Replace Non-Breaking Spaces with Spaces", "replaceWhitespaceWithOrdinarySpaces:");

    // The table the click is in: its parts, rows and columns.
    addSeparatorBetweenGroups(contextMenu);
    for (const auto& command : tableCommandItems)
        addItemIfEnabled(contextMenu, view, command.title, command.action);

    // The element: unwrap, strip, transform.
    addSeparatorBetweenGroups(contextMenu);
    if (auto selection = view.exactSelectionToUnwrapOrDeleteForEffectiveOperationRange(); selection && selection->element()) {
        const auto& element = selection->element();
        addItemIfEnabled(contextMenu, view,
                         (element->hasChildNodes() ? u"Unwrap <" : u"Delete <") + asciiLowercase(element->tagName()) + u">",
                         "unwrapElement:");
    }
    addItemIfEnabled(contextMenu, view, u"Remove All Markup", "removeAllElements:");
    addItemIfEnabled(contextMenu, view, u"Transform to", "transformBlockOrElement:");

    if (contextMenu.numberOfItems() > 0 && contextMenu.items().back()->isSeparatorItem())
        contextMenu.removeItemAtIndex(contextMenu.numberOfItems() - 1);
}

bool VornickContentEditingView::Internals::validateTransformMenuItem(VornickContentEditingView& view, MenuItem& item, const VornickExactSelection& selection)
{
    auto blockType = selection.blockType();
    if (!blockType || !view.m_internals->blockModeHelper)
        return false;
    if (!item.hasSubmenu())
        item.setSubmenu(Menu::create(u"Transform to"));
    // The block types the selected block can become, each named as its
    // snippet is; choosing one transforms the block.
    auto submenu = item.submenu();
    submenu->removeAllItems();
    for (const auto& transform : view.m_internals->blockModeHelper->transformsFromBlockType(*blockType)) {
        const auto& target = transform.toBlockType();
        auto description = view.m_internals->blockModeHelper->fragmentDescriptionForBlockType(target, {});
        auto entry = MenuItem::create(description ? description->displayName() : target, "vornick_transformFragmentFromMenuItem:");
        entry->setRepresentedObject(Value(target));
        submenu->addItem(entry);
    }
    return true;
}

} // namespace brevanton
