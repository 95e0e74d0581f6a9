#include "shell/VornickMainMenu.h"

#include "app/VornickApplicationDelegate.h"
#include "dom/VornickDocumentEncoding.h"
#include "editing/VornickTextEncodingMenuItems.h"
#include "platform/views/Menu.h"
#include "platform/views/TextFinder.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogWindowController.h"
#include "views/VornickCharacterEncodingsMenu.h"

namespace brevanton {

namespace {

constexpr ModifierFlags commandOption = ModifierFlag::Command | ModifierFlag::Option;

std::shared_ptr<Menu> addSubmenu(Menu& menu, std::u16string title)
{
    auto item = menu.addItem(title, {}, {});
    auto submenu = Menu::create(std::move(title));
    item->setSubmenu(submenu);
    return submenu;
}

std::shared_ptr<MenuItem> addItem(Menu& menu, std::u16string title, Action action, std::u16string key = {}, ModifierFlags mask = ModifierFlag::Command)
{
    auto item = menu.addItem(std::move(title), std::move(action), std::move(key));
    item->setKeyEquivalentModifierMask(mask);
    return item;
}

void addSeparator(Menu& menu)
{
    menu.addItem(MenuItem::separatorItem());
}

void addFileMenu(Menu& mainMenu, const std::shared_ptr<Responder>& shellActions)
{
    auto file = addSubmenu(mainMenu, u"File");
    // New WordPress Account, Open, Preferences and Quit are the shell's own: they work from any window.
    addItem(*file, u"New WordPress Account\u2026", "newWordPressAccount:")->setTarget(shellActions);
    addItem(*file, u"Open\u2026", "openDocument:", u"o")->setTarget(shellActions);
    addSeparator(*file);
    addItem(*file, u"Close", "performClose:", u"w");
    addItem(*file, u"Save", "saveDocument:", u"s");
    // An upper-case key equivalent also needs Shift.
    addItem(*file, u"Save As\u2026", "saveDocumentAs:", u"S");
    addItem(*file, u"Revert to Saved", "revertDocumentToSaved:");
    addSeparator(*file);
    addItem(*file, u"Preferences\u2026", "showPreferences:", u",")->setTarget(shellActions);
    addSeparator(*file);
    addItem(*file, u"Quit", "terminate:", u"q")->setTarget(shellActions);
}

void addFindMenu(Menu& edit)
{
    auto find = addSubmenu(edit, u"Find");
    auto finderItem = [&](std::u16string title, TextFinderAction action, std::u16string key, ModifierFlags mask = ModifierFlag::Command) {
        addItem(*find, std::move(title), "performTextFinderAction:", std::move(key), mask)->setTag(static_cast<long>(action));
    };
    finderItem(u"Find\u2026", TextFinderAction::ShowFindInterface, u"f");
    finderItem(u"Find Next", TextFinderAction::NextMatch, u"g");
    finderItem(u"Find Previous", TextFinderAction::PreviousMatch, u"G");
    finderItem(u"Use Selection for Find", TextFinderAction::SetSearchString, u"e");
    finderItem(u"Replace\u2026", TextFinderAction::ShowReplaceInterface, u"f", commandOption);
}

void addEditMenu(Menu& mainMenu)
{
    auto edit = addSubmenu(mainMenu, u"Edit");
    addItem(*edit, u"Undo", "undo:", u"z");
    addItem(*edit, u"Redo", "redo:", u"Z");
    addSeparator(*edit);
    addItem(*edit, u"Cut", "cut:", u"x");
    addItem(*edit, u"Copy", "copy:", u"c");
    addItem(*edit, u"Copy as HTML Source", "copyAsHTMLSourceCode:", u"C");
    addItem(*edit, u"Paste", "paste:", u"v");
    addItem(*edit, u"Paste as Plain Text", "pasteAsPlainText:", u"V");
    addItem(*edit, u"Delete", "deleteNonEmptySelection:");
    addItem(*edit, u"Select All", "selectAll:", u"a");
    addSeparator(*edit);
    addFindMenu(*edit);
    auto spelling = addSubmenu(*edit, u"Spelling");
    addItem(*spelling, u"Show Spelling and Grammar", "vornick_showGuessPanel:");
    addItem(*spelling, u"Check Document Now", "vornick_checkSpelling:");
    addItem(*spelling, u"Check Grammar With Spelling", "vornick_toggleGrammarChecking:");
    addSeparator(*spelling);
    addItem(*spelling, u"Check Spelling While Typing", "toggleContinuousSpellChecking:");
    addItem(*spelling, u"Correct Spelling Automatically", "toggleAutomaticSpellingCorrection:");
}

struct StyleItem {
    const char16_t* title;
    const char* action;
};

constexpr StyleItem styleItems[] = {
    { u"Emphasis", "toggleEmphasized:" },
    { u"Strong Emphasis", "toggleStronglyEmphasized:" },
    { u"Italics", "toggleItalics:" },
    { u"Bold", "toggleBoldface:" },
    { u"Superscript", "toggleSuperscript:" },
    { u"Subscript", "toggleSubscript:" },
    { u"Code", "toggleCode:" },
    { u"Deleted Text", "toggleDeleted:" },
    { u"Inserted Text", "toggleInserted:" },
    { u"Keyboard Input", "toggleKbd:" },
    { u"Marked Text", "toggleMarked:" },
    { u"Sample Output", "toggleSamp:" },
    { u"Variable", "toggleVar:" },
};

void addFormatMenu(Menu& mainMenu)
{
    auto format = addSubmenu(mainMenu, u"Format");
    auto style = addSubmenu(*format, u"Style");
    auto delegate = VornickApplicationDelegate::shared();
    for (const auto& entry : styleItems) {
        auto item = addItem(*style, entry.title, entry.action);
        // Command-I and Command-B start where the user's emphasis choice
        // puts them (on the emphasis items when there is no choice); each
        // validation moves them as the document says.
        if (delegate)
            (void)delegate->validateEmphasisMenuItem(*item, nullptr);
        else if (item->action() == "toggleEmphasized:")
            item->setKeyEquivalent(u"i");
        else if (item->action() == "toggleStronglyEmphasized:")
            item->setKeyEquivalent(u"b");
    }
    auto heading = addSubmenu(*format, u"Heading");
    for (long level = 1; level <= 6; ++level) {
        auto item = addItem(*heading, u"Heading " + std::u16string(1, static_cast<char16_t>(u'0' + level)), "changeHeadingLevel:");
        item->setTag(level);
    }
    addItem(*heading, u"Paragraph", "clearHeadingLevel:");
    auto list = addSubmenu(*format, u"List");
    addItem(*list, u"Indent", "indentListLevel:", u"]");
    addItem(*list, u"Outdent", "outdentListLevel:", u"[");
    addItem(*list, u"Toggle List Type", "toggleListType:");
    addItem(*list, u"Move Items Up", "moveListItemsUp:");
    addItem(*list, u"Move Items Down", "moveListItemsDown:");
    addSeparator(*format);
    addItem(*format, u"Make Link\u2026", "insertOrWrapInLink:", u"k");
    addItem(*format, u"Link to File\u2026", "insertOrWrapInLinkToFile:");
    addSeparator(*format);
    // Titled by its validation after the element it unwraps.
    addItem(*format, u"Unwrap Element", "unwrapElement:");
    addItem(*format, u"Remove All Markup", "removeAllElements:");
    addItem(*format, u"Edit Attributes", "vornick_editElementAttributes:");
    addSeparator(*format);
    addItem(*format, u"Replace Spaces with Non-Breaking Spaces", "replaceWhitespaceWithNonBreakingSpaces:");
    addItem(*format, u"Replace Non-Breaking Spaces with Spaces", "replaceWhitespaceWithOrdinarySpaces:");
    addSeparator(*format);
    addItem(*format, u"HTML Formatting\u2026", "vornick_inspectHTMLFormattingPreferences:");
}

void addTableMenu(Menu& mainMenu)
{
    auto table = addSubmenu(mainMenu, u"Table");
    addItem(*table, u"Add Caption", "addTableCaption:");
    addItem(*table, u"Add Header", "addTableHeader:");
    addItem(*table, u"Add Footer", "addTableFooter:");
    addSeparator(*table);
    addItem(*table, u"Insert Row Above", "insertRowBeforeTableRow:");
    addItem(*table, u"Insert Row Below", "insertRowAfterTableRow:");
    addItem(*table, u"Delete Rows", "deleteTableRows:");
    addSeparator(*table);
    addItem(*table, u"Insert Column Before", "insertColumnBeforeTableColumn:");
    addItem(*table, u"Insert Column After", "insertColumnAfterTableColumn:");
    addItem(*table, u"Delete Columns", "deleteTableColumns:");
}

void addInsertMenu(Menu& mainMenu)
{
    auto insert = addSubmenu(mainMenu, u"Insert");
    // Titled "Insert…" at a caret and "Wrap In or Replace With…" over a
    // selection; its validation gives it the elements and the document's
    // snippet sets as submenu. Control-/ is the completion's own key.
    addItem(*insert, u"Insert or Wrap In\u2026", "vornick_initiateFragmentCompletion:", u"/", ModifierFlag::Control);
    // New snippets of the document's snippet set, made in its editor: the
    // selection as it is, or the element selected exactly around a
    // "{content}" placeholder (its validation names the element).
    addSeparator(*insert);
    addItem(*insert, u"New Snippet from Selection", "addFragmentDescriptionFromSelection:");
    addItem(*insert, u"New Simple Snippet from Selection", "addFragmentDescriptionWithContentPlaceholderFromSelection:");
}

void addViewMenu(Menu& mainMenu)
{
    auto view = addSubmenu(mainMenu, u"View");
    addItem(*view, u"Show Source", "showOrHideSourceLoupe:", u"u", commandOption);
    addItem(*view, u"Show Section Handles", "vornick_toggleSectionHandlesShown:", u"]", commandOption);
    // A post's window: the post on a plain page instead of its theme.
    addItem(*view, u"Clear View", "toggleClearView:", u"L");
    addSeparator(*view);
    addItem(*view, u"Zoom In", "makeTextLarger:", u"=");
    addItem(*view, u"Zoom Out", "makeTextSmaller:", u"-");
    addItem(*view, u"Actual Size", "makeTextStandardSize:", u"0");
    addSeparator(*view);
    // The encodings a document can be written in and read back; the
    // document's own is checked, choosing another switches it.
    auto encodings = Menu::create(u"Text Encoding");
    auto all = VornickBuildCharacterEncodingsMenu();
    for (const auto& item : all->items()) {
        if (item->isSeparatorItem()) {
            if (!encodings->items().empty() && !encodings->items().back()->isSeparatorItem())
                addSeparator(*encodings);
            continue;
        }
        if (!vornick_canDeclareStringEncoding(static_cast<VornickStringEncoding>(item->tag())))
            continue;
        addItem(*encodings, item->title(), VornickChangeStringEncodingAction, {}, {})->setTag(item->tag());
    }
    if (!encodings->items().empty() && encodings->items().back()->isSeparatorItem())
        encodings->removeItemAtIndex(static_cast<long>(encodings->items().size()) - 1);
    view->addItem(u"Text Encoding", {}, {})->setSubmenu(encodings);
}

struct BlogItem {
    const char16_t* title;
    const char* action;
};

// The blog window's commands; a null title is a separator.
constexpr BlogItem blogItems[] = {
    { u"New Post", "newPost:" },
    { u"New Page", "newPage:" },
    { nullptr, nullptr },
    { u"Open Selected Posts", "openEditorsForSelectedPosts:" },
    { u"View Selected Posts on Web", "openViewersForSelectedPosts:" },
    { u"Copy Permalinks", "copyPermalinksForSelectedPosts:" },
    { u"Copy Source", "copySourceContentStringForSelectedPosts:" },
    { u"Share\u2026", "shareSelectedPosts:" },
    { nullptr, nullptr },
    { u"Move to Trash", "moveSelectedPostsToTrash:" },
    { u"Empty Trash\u2026", "emptyBlogTrash:" },
    { nullptr, nullptr },
    { u"Back", "goBack:" },
    { u"Forward", "goForward:" },
    { nullptr, nullptr },
    { u"Sync Now", "startManualSyncWithHost:" },
    { u"Cancel Sync", "cancelSync:" },
    { u"Show Sync Log", "showSyncLog:" },
    { u"Fetch Theme Templates", "fetchThemeTemplates:" },
    { u"Write All Posts to Source Files", "writeAllPostsToSourceFiles:" },
    { nullptr, nullptr },
    { u"Attachment Point Settings\u2026", "editAttachmentPointSettings:" },
};

void addBlogMenu(Menu& mainMenu)
{
    auto blog = addSubmenu(mainMenu, VornickBlogMenuTitle);
    for (const auto& entry : blogItems) {
        if (entry.title)
            addItem(*blog, entry.title, entry.action);
        else
            addSeparator(*blog);
    }
    // Shown while a blog window is the key window.
    mainMenu.items().back()->setHidden(true);
}

void addHelpMenu(Menu& mainMenu, const std::shared_ptr<Responder>& shellActions)
{
    auto help = addSubmenu(mainMenu, u"Help");
    addItem(*help, u"General Log", "showGeneralLog:")->setTarget(shellActions);
    addSeparator(*help);
    addItem(*help, u"About Brevanton", "orderFrontStandardAboutPanel:")->setTarget(shellActions);
}

} // namespace

std::shared_ptr<Menu> VornickMakeMainMenu(const std::shared_ptr<Responder>& shellActions)
{
    auto mainMenu = Menu::create();
    addFileMenu(*mainMenu, shellActions);
    addEditMenu(*mainMenu);
    addFormatMenu(*mainMenu);
    addTableMenu(*mainMenu);
    addInsertMenu(*mainMenu);
    addViewMenu(*mainMenu);
    addBlogMenu(*mainMenu);
    addHelpMenu(*mainMenu, shellActions);
    return mainMenu;
}

void VornickShowMainMenuForKeyWindow(Menu& mainMenu, const Window* keyWindow)
{
    auto blog = mainMenu.itemWithTitle(VornickBlogMenuTitle);
    if (!blog)
        return;
    bool isBlogWindow = keyWindow && std::dynamic_pointer_cast<VornickBlogWindowController>(keyWindow->delegate().lock());
    blog->setHidden(!isBlogWindow);
}

} // namespace brevanton
