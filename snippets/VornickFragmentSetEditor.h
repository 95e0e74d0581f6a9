// VornickFragmentSetEditor: the window in which a snippet set read from a
// file is edited. Its groups and their snippets are listed in an outline on
// the left, with "+" (a new snippet) and "-" (delete the selected one) in
// the glossy band under it; the selected snippet's name, tab trigger,
// keyboard shortcut and markup are edited on the right, each in a field that
// takes every change as typed. The shortcut's field looks like a label until
// clicked; while it is edited, the snippet shorthand tip under it tells how
// a shortcut is written, until Return or leaving the field makes it static
// again. One editor per set: opening a set whose editor is open brings that
// window forward.
//
// Every change is written to the set's file at once, atomically, so a
// failed write leaves the file as it was. A failed write is told in a sheet;
// the window stays marked edited and keeps the change, and the next change
// or Save writes again. Adding and deleting snippets are undo steps of the
// window ("Add Snippet", "Delete Snippet"); a snippet added to a set without
// groups comes in a new group "Snippets", which undoing the addition takes
// away again.
//
// Main thread only. The open editors are held until their windows close.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/OutlineView.h"
#include "platform/views/Responder.h"
#include "platform/views/Window.h"
#include "ui/VornickClickToEditTextField.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class Alert;
class Button;
class TextField;
class VornickContentEditingView;
class VornickFragmentDescription;
class VornickFragmentGroup;
class VornickFragmentSet;
class VornickFragmentSetEditorHorizontalSplitView;
class VornickGeneralFragmentDescription;

class VornickFragmentSetEditor final : public Responder,
                                       public WindowDelegate,
                                       public OutlineViewDataSource,
                                       public VornickClickToEditTextFieldOwner {
public:
    static constexpr const char16_t* NewGroupTitle = u"Snippets";
    static constexpr const char16_t* AddSnippetActionName = u"Add Snippet";
    static constexpr const char16_t* DeleteSnippetActionName = u"Delete Snippet";
    static constexpr const char16_t* NameColumn = u"name";
    // The actions of the buttons under the outline.
    static constexpr const char* AddAction = "addFragmentDescription:";
    static constexpr const char* RemoveAction = "removeFragmentDescription:";
    // Return in the shortcut's field.
    static constexpr const char* EndShortcutEditAction = "endKeyboardShortcutEdit:";
    // What the snippet shorthand tip says under the shortcut's field.
    static constexpr const char16_t* ShortcutShorthandTip
        = u"Type the modifiers, then the key: @ for Ctrl, ~ for Alt, $ for Shift, ^ for the Meta key. \u201C@~1\u201D is Ctrl+Alt+1.";

    using CompletionHandler = std::function<void(const std::shared_ptr<VornickFragmentSetEditor>&)>;
    // Brings the set's open editor forward, or opens one on the set, and
    // hands it to the handler. A set without a file opens no editor: the
    // handler gets null.
    static void openEditorForFragmentSet(const std::shared_ptr<VornickFragmentSet>&, const CompletionHandler& = {});
    // The set's open editor, or null.
    static std::shared_ptr<VornickFragmentSetEditor> openEditorOfFragmentSet(const VornickFragmentSet&);
    static std::vector<std::shared_ptr<VornickFragmentSetEditor>> openEditors();
    // Closes every editor's window and lets the editors go (the
    // application's end).
    static void closeAllEditors();
    // What the delegate of a content editing view does with a snippet made
    // from its selection: opens the editor of the focused frame's own
    // snippet set and adds the snippet there as an undo step of the
    // editor's window. Nothing for a frame without a set of the user's.
    static void addToEditorOfUserFragmentSet(VornickContentEditingView&, const std::shared_ptr<VornickFragmentDescription>&);

    ~VornickFragmentSetEditor() override;

    const std::shared_ptr<VornickFragmentSet>& fragmentSet() const { return m_fragmentSet; }
    const std::shared_ptr<Window>& window() const { return m_window; }
    const std::shared_ptr<OutlineView>& outlineView() const { return m_outlineView; }
    const std::shared_ptr<TextField>& nameField() const { return m_nameField; }
    const std::shared_ptr<TextField>& tabTriggerField() const { return m_tabTriggerField; }
    const std::shared_ptr<VornickClickToEditTextField>& keyboardShortcutField() const { return m_keyboardShortcutField; }
    const std::shared_ptr<TextField>& markupField() const { return m_markupField; }
    const std::shared_ptr<Button>& addButton() const { return m_addButton; }
    const std::shared_ptr<Button>& removeButton() const { return m_removeButton; }
    const std::shared_ptr<VornickFragmentSetEditorHorizontalSplitView>& splitView() const { return m_splitView; }
    // The sheet telling of a failed write, while it shows.
    const std::shared_ptr<Alert>& saveFailureAlert() const { return m_saveFailureAlert; }

    // The snippet of the selected row; null for a group row or none.
    std::shared_ptr<VornickGeneralFragmentDescription> selectedFragmentDescription() const;
    void selectFragmentDescription(const std::shared_ptr<VornickGeneralFragmentDescription>&);

    // Adds the snippet to the selected snippet's group, else the first
    // group, else a new one; selects it and gives its name field the
    // keyboard. With `undoable` one undo step of the window.
    void undoableAddFragmentDescription(bool undoable, std::shared_ptr<VornickGeneralFragmentDescription>);
    // Deletes the selected snippet as one undo step; nothing without one.
    void removeSelectedFragmentDescription();

    // Writes the set to its file; false with the error, the window then
    // marked edited.
    [[nodiscard]] bool save(Error*);

    // --- The outline's data source: groups, and their snippets under them.
    long numberOfChildrenOfItem(OutlineView&, const OutlineItem&) override;
    OutlineItem child(OutlineView&, long index, const OutlineItem& ofItem) override;
    bool isItemExpandable(OutlineView&, const OutlineItem&) override;
    Value objectValue(OutlineView&, const std::u16string& columnIdentifier, const OutlineItem&) override;

    void windowWillClose(Window&) override;
    bool validateMenuItem(MenuItem&) override;

    // --- The shortcut's field: bezeled and editable, with the tip under
    // it, while it is edited; a label otherwise.
    void clickToEditTextFieldDidBecomeVisiblyEditable(VornickClickToEditTextField&) override;
    void clickToEditTextFieldDidBecomeApparentlyStatic(VornickClickToEditTextField&) override;

private:
    explicit VornickFragmentSetEditor(std::shared_ptr<VornickFragmentSet>);
    // Makes the window and its views (VornickFragmentSetEditorWindow.cpp).
    void buildWindow();
    void installActions();
    void observeControls();
    // Shows the selected snippet in the fields.
    void showSelection();
    // The fields of the selected snippet, in their order.
    std::array<std::shared_ptr<TextField>, 4> snippetFields() const;
    void reloadOutline();
    // Puts a copy of the selected snippet with the fields' texts in its place.
    void takeFieldEdits();
    void insertFragmentDescription(const std::shared_ptr<VornickFragmentGroup>&, size_t index,
                                   std::shared_ptr<VornickGeneralFragmentDescription>, bool groupIsNew, bool undoable);
    void removeFragmentDescription(const std::shared_ptr<VornickGeneralFragmentDescription>&, bool removeEmptiedGroup, bool undoable);
    // Writes the set, telling of a failure in a sheet.
    void saveReportingFailure();
    std::shared_ptr<VornickFragmentGroup> groupOfItem(const OutlineItem&) const;
    // The snippet as it is now, after the edits that replaced it by copies.
    std::shared_ptr<VornickGeneralFragmentDescription> currentVersion(std::shared_ptr<VornickGeneralFragmentDescription>) const;

    std::shared_ptr<VornickFragmentSet> m_fragmentSet;
    std::shared_ptr<Window> m_window;
    std::shared_ptr<VornickFragmentSetEditorHorizontalSplitView> m_splitView;
    std::shared_ptr<OutlineView> m_outlineView;
    std::shared_ptr<TextField> m_nameField;
    std::shared_ptr<TextField> m_tabTriggerField;
    std::shared_ptr<VornickClickToEditTextField> m_keyboardShortcutField;
    std::shared_ptr<TextField> m_markupField;
    std::shared_ptr<Button> m_addButton;
    std::shared_ptr<Button> m_removeButton;
    std::shared_ptr<Alert> m_saveFailureAlert;
    ObserverToken m_selectionObservation;
    ObserverToken m_fieldObservation;
    ObserverToken m_firstResponderObservation;
    // Each snippet replaced by an edit, with its replacement.
    std::map<std::shared_ptr<VornickGeneralFragmentDescription>, std::shared_ptr<VornickGeneralFragmentDescription>> m_successors;
    // Set while the fields are filled from the selection, not by the user.
    bool m_showingSelection { false };
};

} // namespace brevanton
