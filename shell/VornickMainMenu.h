// VornickMainMenu: the menu bar of the editor's windows. It hosts every
// command a document window or its content editing view performs, grouped
// as a desktop editor groups them:
//
//   File    New WordPress Account…, Open…, Close, Save, Save As…, Revert to Saved, Preferences…,
//           Quit
//   Edit    Undo, Redo, Cut, Copy, Copy as HTML Source, Paste, Paste as
//           Plain Text, Delete, Select All, Find (Find…, Find Next, Find
//           Previous, Use Selection for Find, Replace…), Spelling (Show
//           Spelling and Grammar, Check Document Now, Check Grammar With
//           Spelling, Check Spelling While Typing, Correct Spelling
//           Automatically)
//   Format  Style (the emphasis toggles and the other inline styles),
//           Heading (levels 1 to 6, Paragraph), List (indent, outdent,
//           toggle the type, move items), Make Link…, Link to File…,
//           Unwrap, Remove All Markup, the space conversions
//   Table   caption, header, footer, rows and columns inserted and deleted
//   Insert  Insert or Wrap In… (with the elements and snippets as its
//           submenu)
//   View    the source pane, section handles, zoom, Text Encoding (the
//           encodings a document can be written in, its own checked)
//   Blog    (in a blog window) New Post, New Page, the selected posts'
//           commands (open, view on the web, copy permalinks or source,
//           share, move to the Trash), Empty Trash…, Back, Forward, Sync
//           Now, Cancel Sync, Show Sync Log, Fetch Theme Templates, Write All
//           Posts to Source Files, Attachment Point Settings…
//   Help    General Log, About Brevanton
//
// Items carry no target (the shell's own Open, Preferences, Quit and Help aside): their
// actions go along the key window's responder chain, and the responder that
// would receive one validates its item (the editing view's validation
// table, the window's actions). Shortcuts use the Command flag, which the Qt
// backend shows and reads as Ctrl.
#pragma once

#include <memory>

namespace brevanton {

class Menu;
class Responder;
class Window;

// The title of the blog window's menu, hidden in the bar of other windows.
inline constexpr const char16_t* VornickBlogMenuTitle = u"Blog";

// The main menu; `shellActions` answers "newWordPressAccount:",
// "openDocument:", "showPreferences:", "terminate:", "showGeneralLog:" and
// "orderFrontStandardAboutPanel:".
std::shared_ptr<Menu> VornickMakeMainMenu(const std::shared_ptr<Responder>& shellActions);
// Shows the Blog menu while `keyWindow` is a blog window, hides it otherwise.
void VornickShowMainMenuForKeyWindow(Menu& mainMenu, const Window* keyWindow);

} // namespace brevanton
