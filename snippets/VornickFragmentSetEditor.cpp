#include "snippets/VornickFragmentSetEditor.h"

#include "editing/VornickContentEditingView.h"
#include "html/VornickFragmentGroup.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Alert.h"
#include "platform/views/Button.h"
#include "platform/views/Menu.h"
#include "platform/views/TextField.h"
#include "platform/web/WebFrame.h"
#include "ui/VornickMomentaryTip.h"
#include "toolkit/VornickEnduringFileReference.h"

#include <algorithm>

namespace brevanton {

namespace {

std::vector<std::shared_ptr<VornickFragmentSetEditor>>& editors()
{
    static std::vector<std::shared_ptr<VornickFragmentSetEditor>> open;
    return open;
}

// What the fields edit of a snippet.
struct SnippetTexts {
    std::u16string displayName;
    std::u16string tabTrigger;
    std::u16string keyboardShortcut;
    std::u16string markup;

    static SnippetTexts of(const VornickGeneralFragmentDescription& description)
    {
        return { description.displayName(), description.tabTrigger(), description.keyboardShortcutShorthand(),
                 description.markupString() };
    }
    bool operator==(const SnippetTexts&) const = default;
};

// The snippet with new texts, the rest kept as it was.
std::shared_ptr<VornickGeneralFragmentDescription> copyWithTexts(const VornickGeneralFragmentDescription& description, SnippetTexts texts)
{
    auto copy = std::make_shared<VornickGeneralFragmentDescription>(description.identifier(), std::move(texts.displayName),
                                                                    std::move(texts.tabTrigger), std::move(texts.keyboardShortcut),
                                                                    std::move(texts.markup), description.blockSourceString());
    copy->setUnknownFileKeys(description.unknownFileKeys());
    return copy;
}

} // namespace

void VornickFragmentSetEditor::openEditorForFragmentSet(const std::shared_ptr<VornickFragmentSet>& fragmentSet,
                                                        const CompletionHandler& handler)
{
    if (!fragmentSet || !fragmentSet->fileReference()) {
        if (handler)
            handler(nullptr);
        return;
    }
    auto editor = openEditorOfFragmentSet(*fragmentSet);
    if (!editor) {
        editor = std::shared_ptr<VornickFragmentSetEditor>(new VornickFragmentSetEditor(fragmentSet));
        editor->buildWindow();
        editor->installActions();
        editor->observeControls();
        editor->reloadOutline();
        editors().push_back(editor);
    }
    editor->m_window->makeKeyAndOrderFront();
    if (handler)
        handler(editor);
}

void VornickFragmentSetEditor::addToEditorOfUserFragmentSet(VornickContentEditingView& view,
                                                            const std::shared_ptr<VornickFragmentDescription>& description)
{
    auto frame = view.focusedWebFrame();
    auto fragmentSet = frame ? vornick_userFragmentSet(*frame) : nullptr;
    auto snippet = std::dynamic_pointer_cast<VornickGeneralFragmentDescription>(description);
    if (!fragmentSet || !snippet)
        return;
    openEditorForFragmentSet(fragmentSet, [snippet](const std::shared_ptr<VornickFragmentSetEditor>& editor) {
        if (editor)
            editor->undoableAddFragmentDescription(true, snippet);
    });
}

std::shared_ptr<VornickFragmentSetEditor> VornickFragmentSetEditor::openEditorOfFragmentSet(const VornickFragmentSet& fragmentSet)
{
    for (const auto& editor : editors()) {
        if (editor->m_fragmentSet.get() == &fragmentSet)
            return editor;
    }
    return nullptr;
}

std::vector<std::shared_ptr<VornickFragmentSetEditor>> VornickFragmentSetEditor::openEditors()
{
    return editors();
}

void VornickFragmentSetEditor::closeAllEditors()
{
    auto closing = std::move(editors());
    editors().clear();
    for (const auto& editor : closing) {
        editor->m_window->setDelegate({});
        editor->m_window->close();
    }
}

VornickFragmentSetEditor::VornickFragmentSetEditor(std::shared_ptr<VornickFragmentSet> fragmentSet)
    : m_fragmentSet(std::move(fragmentSet))
{
}

VornickFragmentSetEditor::~VornickFragmentSetEditor()
{
    if (m_keyboardShortcutField)
        m_keyboardShortcutField->setOwner(nullptr);
    if (m_window) {
        if (auto* undo = m_window->undoManager())
            undo->removeAllActionsWithTarget(this);
    }
}

void VornickFragmentSetEditor::installActions()
{
    setActionHandler(AddAction, [this](ActionSender*) {
        undoableAddFragmentDescription(true, std::make_shared<VornickGeneralFragmentDescription>(u"", u"New Snippet", u"", u"", u"", u""));
    });
    setActionHandler(RemoveAction, [this](ActionSender*) { removeSelectedFragmentDescription(); });
    setActionHandler(EndShortcutEditAction, [this](ActionSender*) { m_window->makeFirstResponder(m_outlineView); });
    setActionHandler("saveDocument:", [this](ActionSender*) { saveReportingFailure(); });
    setActionHandler("undo:", [this](ActionSender*) {
        if (auto* undo = m_window->undoManager(); undo && undo->canUndo())
            undo->undo();
    });
    setActionHandler("redo:", [this](ActionSender*) {
        if (auto* undo = m_window->undoManager(); undo && undo->canRedo())
            undo->redo();
    });
    setActionHandler("performClose:", [this](ActionSender*) { m_window->performClose(); });
}

bool VornickFragmentSetEditor::validateMenuItem(MenuItem& item)
{
    auto* undo = m_window->undoManager();
    if (item.action() == "undo:")
        return undo && undo->canUndo();
    if (item.action() == "redo:")
        return undo && undo->canRedo();
    if (item.action() == RemoveAction)
        return selectedFragmentDescription() != nullptr;
    return true;
}

void VornickFragmentSetEditor::clickToEditTextFieldDidBecomeVisiblyEditable(VornickClickToEditTextField& field)
{
    field.setBezeled(true);
    field.setEditable(true);
    field.setDrawsBackground(true);
    VornickMomentaryTip::sharedSnippetShorthandTip()->showMessage(ShortcutShorthandTip, std::nullopt, field.bounds(), field);
}

void VornickFragmentSetEditor::clickToEditTextFieldDidBecomeApparentlyStatic(VornickClickToEditTextField& field)
{
    field.setBezeled(false);
    field.setEditable(false);
    field.setDrawsBackground(false);
    VornickMomentaryTip::sharedSnippetShorthandTip()->orderOutImmediately();
}

void VornickFragmentSetEditor::windowWillClose(Window&)
{
    if (m_keyboardShortcutField->vornick_isVisiblyEditable())
        m_keyboardShortcutField->vornick_becomeApparentlyStatic();
    auto self = sharedAs<VornickFragmentSetEditor>();
    // Released on a later turn: the window is still closing.
    RunLoop::main().perform([self] {
        auto& open = editors();
        open.erase(std::remove(open.begin(), open.end(), self), open.end());
    });
}

std::shared_ptr<VornickGeneralFragmentDescription> VornickFragmentSetEditor::selectedFragmentDescription() const
{
    long row = m_outlineView->selectedRow();
    if (row < 0)
        return nullptr;
    auto item = m_outlineView->itemAtRow(row);
    if (!item || groupOfItem(item))
        return nullptr;
    return std::static_pointer_cast<VornickGeneralFragmentDescription>(item);
}

void VornickFragmentSetEditor::selectFragmentDescription(const std::shared_ptr<VornickGeneralFragmentDescription>& description)
{
    long row = description ? m_outlineView->rowForItem(description) : -1;
    m_showingSelection = true;
    if (row < 0) {
        m_outlineView->deselectAll();
    } else {
        m_outlineView->selectRowIndexes({ row }, false);
        m_outlineView->scrollRowToVisible(row);
    }
    m_showingSelection = false;
    showSelection();
}

void VornickFragmentSetEditor::undoableAddFragmentDescription(bool undoable, std::shared_ptr<VornickGeneralFragmentDescription> description)
{
    if (!description || description->group())
        return;
    takeFieldEdits();
    std::shared_ptr<VornickFragmentGroup> group;
    if (auto selected = selectedFragmentDescription())
        group = selected->group();
    if (!group && !m_fragmentSet->groups().empty())
        group = m_fragmentSet->groups().front();
    bool groupIsNew = !group;
    if (groupIsNew)
        group = VornickFragmentGroup::create(NewGroupTitle);
    size_t index = group->fragmentDescriptions().size();
    insertFragmentDescription(group, index, std::move(description), groupIsNew, undoable);
    if (undoable)
        m_window->undoManager()->setActionName(AddSnippetActionName);
    // Brought forward for editing: its name is the first thing to give, the
    // whole of it selected (also when the field had the keyboard already).
    if (m_window->firstResponder() == m_nameField)
        m_window->makeFirstResponder(nullptr);
    m_window->makeFirstResponder(m_nameField);
}

void VornickFragmentSetEditor::removeSelectedFragmentDescription()
{
    takeFieldEdits();
    auto selected = selectedFragmentDescription();
    if (!selected)
        return;
    removeFragmentDescription(selected, false, true);
    m_window->undoManager()->setActionName(DeleteSnippetActionName);
}

void VornickFragmentSetEditor::insertFragmentDescription(const std::shared_ptr<VornickFragmentGroup>& group, size_t index,
                                                         std::shared_ptr<VornickGeneralFragmentDescription> description, bool groupIsNew,
                                                         bool undoable)
{
    if (groupIsNew)
        m_fragmentSet->addGroup(group);
    group->insertFragmentDescription(description, std::min(index, group->fragmentDescriptions().size()));
    if (undoable) {
        m_window->undoManager()->registerUndo(this, [this, description, groupIsNew] {
            removeFragmentDescription(currentVersion(description), groupIsNew, true);
        });
    }
    reloadOutline();
    selectFragmentDescription(description);
    saveReportingFailure();
}

void VornickFragmentSetEditor::removeFragmentDescription(const std::shared_ptr<VornickGeneralFragmentDescription>& description,
                                                         bool removeEmptiedGroup, bool undoable)
{
    auto group = description->group();
    if (!group)
        return;
    auto index = group->removeFragmentDescription(*description);
    if (!index)
        return;
    bool groupRemoved = removeEmptiedGroup && group->fragmentDescriptions().empty() && m_fragmentSet->removeGroup(*group);
    if (undoable) {
        m_window->undoManager()->registerUndo(this, [this, group, index = *index, description, groupRemoved] {
            insertFragmentDescription(group, index, description, groupRemoved, true);
        });
    }
    reloadOutline();
    // The snippet after it, else the one before, stays selected.
    const auto& left = group->fragmentDescriptions();
    std::shared_ptr<VornickGeneralFragmentDescription> next;
    if (!groupRemoved && !left.empty())
        next = left[std::min(*index, left.size() - 1)];
    selectFragmentDescription(next);
    saveReportingFailure();
}

void VornickFragmentSetEditor::takeFieldEdits()
{
    auto selected = selectedFragmentDescription();
    if (!selected || m_showingSelection)
        return;
    SnippetTexts texts { m_nameField->stringValue(), m_tabTriggerField->stringValue(), m_keyboardShortcutField->stringValue(),
                         m_markupField->stringValue() };
    if (texts == SnippetTexts::of(*selected))
        return;
    auto group = selected->group();
    auto index = group ? group->removeFragmentDescription(*selected) : std::nullopt;
    if (!index)
        return;
    auto edited = copyWithTexts(*selected, std::move(texts));
    group->insertFragmentDescription(edited, *index);
    // The undo steps that name the snippet find the copy.
    m_successors[selected] = edited;
    m_showingSelection = true;
    reloadOutline();
    long row = m_outlineView->rowForItem(edited);
    if (row >= 0)
        m_outlineView->selectRowIndexes({ row }, false);
    m_showingSelection = false;
    saveReportingFailure();
}

std::shared_ptr<VornickGeneralFragmentDescription> VornickFragmentSetEditor::currentVersion(
    std::shared_ptr<VornickGeneralFragmentDescription> description) const
{
    for (auto found = m_successors.find(description); found != m_successors.end(); found = m_successors.find(description))
        description = found->second;
    return description;
}

bool VornickFragmentSetEditor::save(Error* outError)
{
    URL url = URL::fileURLWithPath(std::string_view("/"));
    const auto& reference = m_fragmentSet->fileReference();
    bool written = false;
    if (!reference || !reference->getFileURL(&url))
        setError(outError, Error::posix(ENOENT, u"The snippet set\u2019s file could not be found."));
    else
        written = m_fragmentSet->writeToURL(url, outError);
    m_window->setDocumentEdited(!written);
    return written;
}

void VornickFragmentSetEditor::saveReportingFailure()
{
    Error error;
    if (save(&error) || m_saveFailureAlert)
        return;
    auto alert = Alert::create();
    alert->setMessageText(u"The snippet set \u201C" + m_fragmentSet->title() + u"\u201D could not be saved.");
    alert->setInformativeText(error.localizedDescription() + u" Your changes are kept in this window; the next change, or Save, writes them again.");
    alert->addButtonWithTitle(u"OK");
    m_saveFailureAlert = alert;
    std::weak_ptr<VornickFragmentSetEditor> weak = sharedAs<VornickFragmentSetEditor>();
    alert->beginSheetModalForWindow(m_window, [weak](ModalResponse) {
        if (auto self = weak.lock())
            self->m_saveFailureAlert = nullptr;
    });
}

// --- The outline

std::shared_ptr<VornickFragmentGroup> VornickFragmentSetEditor::groupOfItem(const OutlineItem& item) const
{
    for (const auto& group : m_fragmentSet->groups()) {
        if (group.get() == item.get())
            return group;
    }
    return nullptr;
}

long VornickFragmentSetEditor::numberOfChildrenOfItem(OutlineView&, const OutlineItem& item)
{
    if (!item)
        return static_cast<long>(m_fragmentSet->groups().size());
    auto group = groupOfItem(item);
    return group ? static_cast<long>(group->fragmentDescriptions().size()) : 0;
}

OutlineItem VornickFragmentSetEditor::child(OutlineView&, long index, const OutlineItem& ofItem)
{
    if (!ofItem)
        return m_fragmentSet->groups().at(static_cast<size_t>(index));
    auto group = groupOfItem(ofItem);
    return group ? group->fragmentDescriptions().at(static_cast<size_t>(index)) : nullptr;
}

bool VornickFragmentSetEditor::isItemExpandable(OutlineView&, const OutlineItem& item)
{
    return groupOfItem(item) != nullptr;
}

Value VornickFragmentSetEditor::objectValue(OutlineView&, const std::u16string&, const OutlineItem& item)
{
    if (auto group = groupOfItem(item))
        return Value(group->title());
    return Value(std::static_pointer_cast<VornickGeneralFragmentDescription>(item)->displayName());
}

void VornickFragmentSetEditor::reloadOutline()
{
    bool showing = m_showingSelection;
    m_showingSelection = true;
    m_outlineView->reloadData();
    for (const auto& group : m_fragmentSet->groups())
        m_outlineView->expandItem(group);
    m_showingSelection = showing;
}

} // namespace brevanton
