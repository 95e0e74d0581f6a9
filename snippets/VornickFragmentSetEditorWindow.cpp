// The snippet set editor's window: the outline of groups and snippets with
// the add and delete buttons in the split view's glossy band, and the
// fields of the selected snippet beside it.
#include "snippets/VornickFragmentSetEditor.h"

#include "app/VornickWindow.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "platform/views/Button.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextField.h"
#include "ui/VornickFragmentSetEditorHorizontalSplitView.h"

namespace brevanton {

namespace {

constexpr double windowWidth = 640;
constexpr double windowHeight = 460;
constexpr double listWidth = 220;
constexpr double band = VornickFragmentSetEditorHorizontalSplitView::BandHeight;

std::shared_ptr<View> flippedView(Rect frame)
{
    auto view = std::make_shared<View>(frame);
    view->setFlipped(true);
    return view;
}

std::shared_ptr<TextField> editableField(Rect frame)
{
    auto field = std::make_shared<TextField>(frame);
    field->setEditable(true);
    field->setBezeled(true);
    field->setDrawsBackground(true);
    field->setAutoresizingMask(Autoresizing::WidthSizable);
    return field;
}

std::shared_ptr<TextField> label(std::u16string text, Point origin)
{
    auto field = TextField::labelWithString(std::move(text));
    field->setFrameOrigin(origin);
    return field;
}

} // namespace

void VornickFragmentSetEditor::buildWindow()
{
    m_window = VornickWindow::create(Rect(160, 160, windowWidth, windowHeight));
    m_window->setTitle(m_fragmentSet->title());
    m_window->setDelegate(sharedAs<VornickFragmentSetEditor>());

    auto content = flippedView(Rect(0, 0, windowWidth, windowHeight));
    m_splitView = std::make_shared<VornickFragmentSetEditorHorizontalSplitView>(content->bounds());
    m_splitView->setVertical(true);
    m_splitView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    content->addSubview(m_splitView);

    // The list, with its buttons in the band under it.
    auto list = flippedView(Rect(0, 0, listWidth, windowHeight));
    auto scroll = std::make_shared<ScrollView>(Rect(0, 0, listWidth, windowHeight - band));
    scroll->setHasVerticalScroller(true);
    scroll->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    m_outlineView = std::make_shared<OutlineView>(Rect(0, 0, listWidth, windowHeight - band));
    m_outlineView->addTableColumn(NameColumn);
    m_outlineView->setRowHeight(20);
    m_outlineView->setDataSource(sharedAs<VornickFragmentSetEditor>());
    scroll->setDocumentView(m_outlineView);
    list->addSubview(scroll);
    auto self = sharedAs<Responder>();
    m_addButton = std::make_shared<Button>(Rect(8, windowHeight - band + 8, 28, 23), u"+");
    m_removeButton = std::make_shared<Button>(Rect(40, windowHeight - band + 8, 28, 23), u"\u2212");
    for (const auto& [button, action] : { std::pair { m_addButton, AddAction }, std::pair { m_removeButton, RemoveAction } }) {
        button->setAction(action);
        button->setTarget(self);
        button->setAutoresizingMask(Autoresizing::MinYMargin);
        list->addSubview(button);
    }
    m_splitView->addSubview(list);

    // The selected snippet.
    double detailWidth = windowWidth - listWidth - m_splitView->dividerThickness();
    auto detail = flippedView(Rect(0, 0, detailWidth, windowHeight));
    detail->addSubview(label(u"Name:", Point { 16, 18 }));
    m_nameField = editableField(Rect(90, 14, detailWidth - 106, 22));
    detail->addSubview(m_nameField);
    detail->addSubview(label(u"Tab trigger:", Point { 16, 52 }));
    m_tabTriggerField = editableField(Rect(90, 48, detailWidth - 106, 22));
    detail->addSubview(m_tabTriggerField);
    detail->addSubview(label(u"Shortcut:", Point { 16, 86 }));
    m_keyboardShortcutField = std::make_shared<VornickClickToEditTextField>(Rect(90, 82, detailWidth - 106, 22));
    m_keyboardShortcutField->setAutoresizingMask(Autoresizing::WidthSizable);
    m_keyboardShortcutField->setPlaceholderString(u"None");
    m_keyboardShortcutField->setOwner(this);
    m_keyboardShortcutField->setAction(EndShortcutEditAction);
    m_keyboardShortcutField->setTarget(self);
    detail->addSubview(m_keyboardShortcutField);
    detail->addSubview(label(u"Markup:", Point { 16, 120 }));
    m_markupField = editableField(Rect(90, 116, detailWidth - 106, windowHeight - band - 132));
    m_markupField->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    detail->addSubview(m_markupField);
    m_splitView->addSubview(detail);
    m_splitView->adjustSubviews();
    m_splitView->setPosition(listWidth, 0);

    m_window->setContentView(content);
    showSelection();
}

void VornickFragmentSetEditor::observeControls()
{
    std::weak_ptr<VornickFragmentSetEditor> weak = sharedAs<VornickFragmentSetEditor>();
    m_selectionObservation = NotificationCenter::defaultCenter().addObserver(
        OutlineView::SelectionDidChangeNotification, m_outlineView.get(), nullptr, [weak](const Notification&) {
            if (auto self = weak.lock(); self && !self->m_showingSelection)
                self->showSelection();
        });
    // Either field's edit goes into the selected snippet as typed.
    m_fieldObservation = NotificationCenter::defaultCenter().addObserver(
        TextField::TextDidChangeNotification, nullptr, nullptr, [weak](const Notification& notification) {
            auto self = weak.lock();
            if (!self)
                return;
            for (const auto& field : self->snippetFields()) {
                if (notification.object == field.get())
                    return self->takeFieldEdits();
            }
        });
    // The keyboard leaving the shortcut's field makes it a label again.
    m_firstResponderObservation = NotificationCenter::defaultCenter().addObserver(
        VornickWindowWillChangeFirstResponderNotification, m_window.get(), nullptr, [weak](const Notification&) {
            auto self = weak.lock();
            auto window = self ? std::dynamic_pointer_cast<VornickWindow>(self->m_window) : nullptr;
            const auto* change = window ? window->firstResponderChange() : nullptr;
            if (change && change->oldFirstResponder == self->m_keyboardShortcutField)
                self->m_keyboardShortcutField->vornick_losingFocus();
        });
}

std::array<std::shared_ptr<TextField>, 4> VornickFragmentSetEditor::snippetFields() const
{
    return { m_nameField, m_tabTriggerField, m_keyboardShortcutField, m_markupField };
}

void VornickFragmentSetEditor::showSelection()
{
    auto selected = selectedFragmentDescription();
    bool showing = m_showingSelection;
    m_showingSelection = true;
    m_nameField->setTextString(selected ? selected->displayName() : std::u16string());
    m_tabTriggerField->setTextString(selected ? selected->tabTrigger() : std::u16string());
    m_keyboardShortcutField->setTextString(selected ? selected->keyboardShortcutShorthand() : std::u16string());
    m_markupField->setTextString(selected ? selected->markupString() : std::u16string());
    for (const auto& field : snippetFields())
        field->setEnabled(selected != nullptr);
    m_removeButton->setEnabled(selected != nullptr);
    m_showingSelection = showing;
}

} // namespace brevanton
