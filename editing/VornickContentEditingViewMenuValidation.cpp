// Menu validation: one table names, for each action the view performs, what
// enables its menu item, and what else the item shows (a title naming what
// the command will act on, a check mark). The actions are tested in table
// order and the first row that names the action answers; an action no row
// names is enabled, its command refusing what it cannot do. Each validator
// answers true exactly when its command would change something now.
#include "editing/VornickContentEditingView.h"

#include "app/VornickApplicationDelegate.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickApplyElementOrFragmentMenu.h"
#include "editing/VornickApplyElementOrFragmentMenuItems.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickFindAndReplaceController.h"
#include "editing/VornickSourceLoupe.h"
#include "editing/VornickTextEncodingMenuItems.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/views/Menu.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"

#include <array>
#include <functional>
#include <string_view>
#include <utility>

namespace brevanton {

namespace {

using View = VornickContentEditingView;

bool rangeIsSelection(const View& view)
{
    auto range = view.effectiveOperationRange();
    return range && !range->collapsed();
}

// The exact selection of the effective operation range, grown over block
// delimiter comments.
std::optional<VornickExactSelection> exactSelectionOfRange(const View& view)
{
    auto range = view.effectiveOperationRange();
    if (!range || !view.blockModeHelper())
        return std::nullopt;
    return view.blockModeHelper()->exactSelectionFromRange(*range, true);
}

// An element selected exactly, not a block: what the element-level copy and
// the new simple snippet act on.
std::shared_ptr<DOMElement> exactlySelectedPlainElement(const View& view)
{
    auto selection = exactSelectionOfRange(view);
    if (!selection || !selection->element() || selection->blockStartComment())
        return nullptr;
    return selection->element();
}

// The snippet set of the user's that the node's document names, if any.
bool userFragmentSetOfDocumentOf(const View& view, const DOMNode& node)
{
    auto document = node.ownerDocument();
    auto mainFrame = view.mainFrame();
    auto frame = document && mainFrame ? mainFrame->frameForDocument(*document) : nullptr;
    return frame && vornick_userFragmentSet(*frame);
}

bool validateTransform(View& view, MenuItem& item)
{
    const auto& helper = view.blockModeHelper();
    if (!helper || !helper->operatingInBlockMode())
        return false;
    auto range = view.effectiveOperationRange();
    if (!range)
        return false;
    auto selection = helper->exactSelectionFromRange(*range, true);
    if (!selection && range->collapsed())
        selection = helper->blockEnclosingPosition(vornick_startPosition(*range), {}, false,
                                                   vornick_enclosingAttachmentPointElement(*range).get());
    return selection && Internals::validateTransformMenuItem(view, item, *selection);
}

// The new simple snippet: the element selected exactly becomes a snippet
// with a content placeholder. Like the other new-snippet command it needs an
// editable view and a snippet set of the user's to add to.
bool validateNewSimpleSnippet(View& view, MenuItem& item)
{
    auto element = exactlySelectedPlainElement(view);
    if (!element) {
        item.setTitle(u"New Simple Snippet from Selection");
        return false;
    }
    item.setTitle(u"New Simple Snippet: " + vornick_tagLabelForPathSegment(*element) + vornick_attributesLabelForPathSegment(*element));
    return view.isEditable() && userFragmentSetOfDocumentOf(view, *element);
}

bool validateEditElementAttributes(View& view, MenuItem& item)
{
    auto selection = view.exactSelectionToOpenInAttributeEditorForEffectiveOperationRange();
    if (!selection || !selection->element() || !view.blockModeHelper()) {
        item.setTitle(u"Edit Attributes of Element...");
        return false;
    }
    std::u16string label;
    view.blockModeHelper()->getPathSegmentLabelsForElement(*selection->element(),
                                                           [&label](const std::u16string& first, const std::u16string&) { label = first; });
    item.setTitle(selection->blockStartComment() ? u"Edit Attributes of " + label + u"..." : u"Edit Attributes of <" + label + u">...");
    return Internals::canEditElementAttributes(view);
}

bool validateUnwrap(View& view, MenuItem& item)
{
    auto selection = view.exactSelectionToUnwrapOrDeleteForEffectiveOperationRange();
    if (!selection || !selection->element() || selection->blockStartComment()) {
        item.setTitle(u"Unwrap Element");
        return false;
    }
    const auto& element = *selection->element();
    item.setTitle((element.hasChildNodes() ? u"Unwrap <" : u"Delete <") + asciiLowercase(element.tagName()) + u">");
    // The command refuses in a view that may not be edited.
    return Internals::canUnwrapElement(view);
}

// "Insert or Wrap In": titled by what it would do, with the apply menu of
// the elements and snippets as its submenu (attached once and kept).
bool validateFragmentCompletion(View& view, MenuItem& item)
{
    if (!view.canInitiateFragmentCompletion()) {
        item.setTitle(u"Insert or Wrap In...");
        return false;
    }
    auto range = view.effectiveOperationRange();
    item.setTitle(range && range->collapsed() ? u"Insert..." : u"Wrap In or Replace With...");
    if (!item.hasSubmenu()) {
        auto menu = VornickApplyElementOrFragmentMenu::create(u"Insert or Wrap In");
        menu->setSemantic(VornickApplyFragmentMenuItem::applySemantic);
        menu->setContentEditingView(std::static_pointer_cast<View>(view.shared_from_this()));
        item.setSubmenu(menu);
        menu->update();
    }
    return true;
}

bool validateShowHeadElements(View& view, MenuItem& item)
{
    item.setState(Internals::headElementsShown(view) ? OnState : OffState);
    return Internals::of(view).allowsHeadDisplayAndEditing;
}

// The application moves Command-I and Command-B between the emphasis and the
// italics and boldface items, as the user's choice of explicit emphasis says.
template<auto validator> bool validateEmphasis(View& view, MenuItem& item)
{
    if (auto delegate = VornickApplicationDelegate::shared())
        (void)delegate->validateEmphasisMenuItem(item, view.blockModeHelper().get());
    return std::invoke(validator, std::as_const(view));
}

template<auto validator> bool plain(View& view, MenuItem&)
{
    return std::invoke(validator, std::as_const(view));
}

struct Row {
    std::string_view action;
    bool (*validate)(View&, MenuItem&);
};

bool editable(View& view, MenuItem&) { return view.isEditable(); }

const std::array rows {
    Row { "paste:", editable },
    Row { "pasteAsPlainText:", editable },
    // The item's tag is the level it changes to.
    Row { "changeHeadingLevel:", [](View& view, MenuItem& item) { return Internals::canChangeHeadingLevelTo(view, item.tag()); } },
    Row { "clearHeadingLevel:", plain<&Internals::canClearHeadingLevel> },
    Row { "vornick_initiateFragmentCompletion:", validateFragmentCompletion },
    Row { "toggleListType:", plain<&Internals::canToggleListType> },
    Row { "indentListLevel:", [](View& view, MenuItem&) { return Internals::canIndentListLevel(view); } },
    Row { "outdentListLevel:", [](View& view, MenuItem&) { return Internals::canOutdentListLevel(view); } },
    Row { "moveListItemsUp:", [](View& view, MenuItem&) { return Internals::canMoveListItemsUp(view); } },
    Row { "moveListItemsDown:", [](View& view, MenuItem&) { return Internals::canMoveListItemsDown(view); } },
    Row { "cut:", [](View& view, MenuItem&) { return view.isEditable() && rangeIsSelection(view); } },
    Row { "deleteNonEmptySelection:", [](View& view, MenuItem&) { return view.isEditable() && rangeIsSelection(view); } },
    Row { "copy:", [](View& view, MenuItem&) { return rangeIsSelection(view); } },
    Row { "copyAsHTMLSourceCode:", [](View& view, MenuItem&) { return rangeIsSelection(view); } },
    Row { "copyElementInteriorAsHTMLSourceCode:", [](View& view, MenuItem&) { return exactlySelectedPlainElement(view) != nullptr; } },
    Row { "copyLink:", plain<&Internals::canCopyLink> },
    Row { "insertOrWrapInLink:", plain<&View::canInsertOrWrapInLink> },
    Row { "insertOrWrapInLinkToFile:", plain<&Internals::canInsertOrWrapInLinkToFile> },
    Row { "deleteSelection:", editable },
    Row { "transformBlockOrElement:", validateTransform },
    Row { "addTableCaption:", plain<&Internals::canAddTableCaption> },
    Row { "addTableHeader:", plain<&Internals::canAddTableHeader> },
    Row { "addTableFooter:", plain<&Internals::canAddTableFooter> },
    Row { "insertColumnBeforeTableColumn:", plain<&Internals::canInsertColumnBeforeTableColumn> },
    Row { "insertColumnAfterTableColumn:", plain<&Internals::canInsertColumnAfterTableColumn> },
    Row { "deleteTableColumns:", plain<&Internals::canDeleteTableColumns> },
    Row { "insertRowBeforeTableRow:", plain<&Internals::canInsertRowBeforeTableRow> },
    Row { "insertRowAfterTableRow:", plain<&Internals::canInsertRowAfterTableRow> },
    Row { "deleteTableRows:", plain<&Internals::canDeleteTableRows> },
    Row { "popInsertionPointOutOfElement:", plain<&View::canPopInsertionPointOutOfElement> },
    Row { "popInsertionPointOutOfElementAndInsertSpace:", plain<&View::canPopInsertionPointOutOfElementAndInsertSpace> },
    Row { "addFragmentDescriptionWithContentPlaceholderFromSelection:", validateNewSimpleSnippet },
    Row { "addFragmentDescriptionFromSelection:", plain<&View::canAddFragmentDescriptionFromSelection> },
    Row { "vornick_editElementAttributes:", validateEditElementAttributes },
    Row { "unwrapElement:", validateUnwrap },
    Row { "vornick_toggleSectionHandlesShown:",
          [](View& view, MenuItem& item) {
              item.setState(view.sectionHandlesShown() ? OnState : OffState);
              return true;
          } },
    Row { "makeTextLarger:", plain<&View::canMakeTextLarger> },
    Row { "makeTextSmaller:", plain<&View::canMakeTextSmaller> },
    Row { "makeTextStandardSize:", plain<&View::canMakeTextStandardSize> },
    Row { "toggleHeadElementsShown:", validateShowHeadElements },
    Row { "toggleEmphasized:", validateEmphasis<&Internals::canToggleEmphasized> },
    Row { "toggleStronglyEmphasized:", validateEmphasis<&Internals::canToggleStronglyEmphasized> },
    Row { "toggleItalics:", validateEmphasis<&Internals::canToggleItalics> },
    Row { "toggleBoldface:", validateEmphasis<&Internals::canToggleBoldface> },
    Row { "showEmphasisPreferenceUI:", plain<&View::canShowEmphasisPreferenceUI> },
    Row { "toggleSuperscript:", plain<&Internals::canToggleSuperscript> },
    Row { "toggleSubscript:", plain<&Internals::canToggleSubscript> },
    Row { "toggleCode:", plain<&Internals::canToggleCode> },
    Row { "toggleDeleted:", plain<&Internals::canToggleDeleted> },
    Row { "toggleInserted:", plain<&Internals::canToggleInserted> },
    Row { "toggleKbd:", plain<&Internals::canToggleKbd> },
    Row { "toggleMarked:", plain<&Internals::canToggleMarked> },
    Row { "toggleSamp:", plain<&Internals::canToggleSamp> },
    Row { "toggleVar:", plain<&Internals::canToggleVar> },
    Row { "insertExplicitNonBreakingSpace:", editable },
    Row { "replaceWhitespaceWithNonBreakingSpaces:", plain<&Internals::canReplaceWhitespaceWithNonBreakingSpaces> },
    Row { "replaceWhitespaceWithOrdinarySpaces:", plain<&Internals::canReplaceWhitespaceWithOrdinarySpaces> },
    Row { "removeAllElements:", plain<&Internals::canRemoveAllElements> },
    // The item's tag is the find bar's action; each acts only where it can
    // (Find Next with something to find, Replace in an editable view...).
    Row { "performTextFinderAction:", [](View& view, MenuItem& item) { return view.findAndReplaceController().validateAction(item.tag()); } },
    Row { "showOrHideSourceLoupe:",
          [](View& view, MenuItem& item) {
              item.setState(view.sourceLoupe() && view.sourceLoupe()->isShown() ? OnState : OffState);
              return true;
          } },
    // The item's tag is the encoding.
    Row { VornickChangeStringEncodingAction, [](View& view, MenuItem& item) { return VornickValidateStringEncodingMenuItem(view.editingContext(), item); } },
    Row { "vornick_toggleGrammarChecking:",
          [](View& view, MenuItem& item) {
              item.setState(view.isGrammarCheckingEnabled() ? OnState : OffState);
              return true;
          } },
};

} // namespace

bool VornickContentEditingView::validateMenuItem(MenuItem& item)
{
    for (const auto& row : rows) {
        if (row.action == item.action())
            return row.validate(*this, item);
    }
    return true;
}

std::vector<std::string_view> VornickContentEditingView::Internals::validatedMenuActions()
{
    std::vector<std::string_view> actions;
    for (const auto& row : rows)
        actions.push_back(row.action);
    return actions;
}

bool VornickContentEditingView::canPopInsertionPointOutOfElement() const
{
    return Internals::canPopInsertionPointOutOfElementAndLeaveAGap(*this, false);
}

bool VornickContentEditingView::canPopInsertionPointOutOfElementAndInsertSpace() const
{
    return isEditable() && Internals::canPopInsertionPointOutOfElementAndLeaveAGap(*this, true);
}

// Both refuse what their items refuse: a selection that is not a caret, or
// (leaving a space) a view that may not be edited.
void VornickContentEditingView::popInsertionPointOutOfElement(ActionSender*)
{
    if (!canPopInsertionPointOutOfElement()) {
        Sound::beep();
        return;
    }
    Internals::popInsertionPointOutOfElementOrTwoAndLeaveAGap(*this, false);
}

void VornickContentEditingView::popInsertionPointOutOfElementAndInsertSpace(ActionSender*)
{
    if (!canPopInsertionPointOutOfElementAndInsertSpace()) {
        Sound::beep();
        return;
    }
    Internals::popInsertionPointOutOfElementOrTwoAndLeaveAGap(*this, true);
}

bool VornickContentEditingView::canAddFragmentDescriptionFromSelection() const
{
    if (!isEditable())
        return false;
    auto range = effectiveOperationRange();
    if (!range || !userFragmentSetOfDocumentOf(*this, *range->startContainer()))
        return false;
    return !range->collapsed();
}

void VornickContentEditingView::Internals::installMenuCommandActionHandlers(VornickContentEditingView& view)
{
    auto weak = view.weakSelf();
    view.setActionHandler("popInsertionPointOutOfElement:", [weak](ActionSender* sender) {
        if (auto self = weak.lock())
            self->popInsertionPointOutOfElement(sender);
    });
    view.setActionHandler("popInsertionPointOutOfElementAndInsertSpace:", [weak](ActionSender* sender) {
        if (auto self = weak.lock())
            self->popInsertionPointOutOfElementAndInsertSpace(sender);
    });
    view.setActionHandler("insertExplicitNonBreakingSpace:", [weak](ActionSender*) {
        if (auto self = weak.lock())
            Internals::insertExplicitNonBreakingSpace(*self);
    });
}

} // namespace brevanton
