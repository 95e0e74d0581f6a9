#include "editing/VornickElementAttributesInspectorModule.h"

#include "editing/VornickContentEditingView.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLAttributeValidator.h"
#include "html/VornickHTMLAttributeValidators.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/views/CompletingTextField.h"
#include "platform/views/Event.h"
#include "platform/views/Popover.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "ui/VornickFlippedView.h"
#include "ui/VornickMomentaryTip.h"

#include <algorithm>
#include <optional>

namespace brevanton {

namespace {

constexpr double moduleWidth = 360;
constexpr double rowHeight = 26;
constexpr double labelWidth = 96;
constexpr double headerHeight = 28;

constexpr const char* applyAction = "applyAttributeValues:";

// The module's view: Escape in any of its fields closes the editor.
class AttributesView final : public VornickFlippedView {
public:
    explicit AttributesView(std::weak_ptr<VornickElementAttributesInspectorModule> module)
        : VornickFlippedView(Rect(0, 0, moduleWidth, headerHeight))
        , m_module(std::move(module))
    {
    }

    void keyDown(const Event& event) override
    {
        auto module = m_module.lock();
        const auto& key = event.charactersIgnoringModifiers();
        if (module && key == u"\x1b") {
            module->cancelAndClose();
            return;
        }
        // Tab and back-tab go from field to field.
        if (module && (key == u"\t" || key == u"\x19")) {
            module->focusNextField(key == u"\t" && !event.hasModifier(ModifierFlag::Shift) ? 1 : -1);
            return;
        }
        VornickFlippedView::keyDown(event);
    }

private:
    std::weak_ptr<VornickElementAttributesInspectorModule> m_module;
};

// An attribute's field: each edit has the module judge the value.
class AttributeField final : public CompletingTextField {
public:
    AttributeField(const Rect& frame, std::weak_ptr<VornickElementAttributesInspectorModule> module)
        : CompletingTextField(frame)
        , m_module(std::move(module))
    {
    }
    void textDidChange() override
    {
        CompletingTextField::textDidChange();
        if (auto module = m_module.lock())
            module->validateField(*this);
    }

private:
    std::weak_ptr<VornickElementAttributesInspectorModule> m_module;
};

// The attributes shown for an element: its own, then those its document
// type offers first for it, then the title.
std::vector<std::u16string> attributeNamesToShow(const DOMElement& element)
{
    std::vector<std::u16string> names;
    auto add = [&](const std::u16string& name) {
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    for (const auto& attribute : element.attributeList())
        add(attribute.name);
    auto document = element.ownerDocument();
    auto spec = document ? vornick_htmlSpecForDocType(*document) : nullptr;
    auto elementSpec = spec ? spec->elementSpecForTagName(asciiLowercase(element.tagName())) : nullptr;
    if (elementSpec) {
        for (const auto& name : elementSpec->requiredAttributeNamesArray())
            add(name);
        if (const auto& common = elementSpec->commonAttributeNames())
            for (const auto& name : *common)
                add(name);
    }
    add(u"title");
    return names;
}

// Whether the element's attribute holds a URL, by its document type.
bool attributeTakesURL(const std::u16string& name, const VornickHTMLElementSpec& elementSpec)
{
    auto validator = VornickHTMLAttributeValidator::attributeValidatorForAttributeName(name, elementSpec);
    return dynamic_cast<const VornickURLHTMLAttributeValidator*>(validator.get()) != nullptr;
}

// The view's addresses, to be matched against what is typed.
VornickCompletionSet urlCompletionSet(const VornickContentEditingView& view)
{
    VornickCompletionSet set;
    set.setReturnsMatchesForEmptyString(false);
    for (const auto& string : view.attributeEditorURLStringsForCompletion()) {
        if (!string.empty())
            set.addCompletionString(string, string);
    }
    return set;
}

// Completes to the view's addresses, gathered once (a blog's posts are
// fetched from its store) on the first edit.
CompletingTextField::CompletionSource urlCompletionSource(std::weak_ptr<VornickContentEditingView> weakView)
{
    auto gathered = std::make_shared<std::optional<VornickCompletionSet>>();
    return [weakView = std::move(weakView), gathered](std::u16string_view typed, size_t limit) {
        std::vector<std::u16string> completions;
        if (!*gathered) {
            auto view = weakView.lock();
            if (!view)
                return completions;
            *gathered = urlCompletionSet(*view);
        }
        for (const auto& match : (*gathered)->rankedMatchesForSearchString(typed)) {
            if (completions.size() >= limit)
                break;
            completions.push_back(match.completionString());
        }
        return completions;
    };
}

} // namespace

bool VornickElementAttributesInspectorModule::canInspectTargetOf(const VornickElementEditorUIController& editor)
{
    return editor.targetElement() != nullptr;
}

void VornickElementAttributesInspectorModule::loadView()
{
    auto view = std::make_shared<AttributesView>(std::static_pointer_cast<VornickElementAttributesInspectorModule>(shared_from_this()));
    view->setAutoresizingMask(Autoresizing::WidthSizable);
    m_elementLabel = TextField::labelWithString(u"");
    m_elementLabel->setFrame(Rect(4, 4, moduleWidth - 8, headerHeight - 6));
    view->addSubview(m_elementLabel);
    std::weak_ptr<VornickElementAttributesInspectorModule> weakModule
        = std::static_pointer_cast<VornickElementAttributesInspectorModule>(shared_from_this());
    view->setActionHandler(applyAction, [weakModule](ActionSender*) {
        if (auto module = weakModule.lock())
            module->applyAndClose();
    });
    setView(view);
}

void VornickElementAttributesInspectorModule::updateControlsFromElement()
{
    auto& view = this->view();
    auto* editor = elementEditor();
    auto element = editor ? editor->targetElement() : nullptr;
    hideValidationTip();
    for (const auto& field : m_fields)
        field->removeFromSuperview();
    for (const auto& label : m_rowLabels)
        label->removeFromSuperview();
    m_fields.clear();
    m_rowLabels.clear();
    m_attributeNames.clear();
    if (!element) {
        m_elementLabel->setTextString(u"");
        return;
    }
    m_elementLabel->setTextString(u"<" + asciiLowercase(element->tagName()) + u">");
    m_attributeNames = attributeNamesToShow(*element);
    auto document = element->ownerDocument();
    auto spec = document ? vornick_htmlSpecForDocType(*document) : nullptr;
    auto elementSpec = spec ? spec->elementSpecForTagName(asciiLowercase(element->tagName())) : nullptr;
    double y = headerHeight;
    for (const auto& name : m_attributeNames) {
        auto label = TextField::labelWithString(name);
        label->setFrame(Rect(4, y + 5, labelWidth - 8, 18));
        view->addSubview(label);
        auto field = std::make_shared<AttributeField>(Rect(labelWidth, y + 2, moduleWidth - labelWidth - 4, 22),
                                                      std::static_pointer_cast<VornickElementAttributesInspectorModule>(shared_from_this()));
        field->setEditable(true);
        field->setBezeled(true);
        field->setAutoresizingMask(Autoresizing::WidthSizable);
        field->setTextString(element->hasAttribute(name) ? element->getAttribute(name) : std::u16string());
        if (elementSpec && editor->contentEditingView() && attributeTakesURL(name, *elementSpec)) {
            field->setCompletionSource(urlCompletionSource(editor->contentEditingView()->sharedAs<VornickContentEditingView>()));
        }
        field->setAction(applyAction);
        field->setTarget(view);
        view->addSubview(field);
        m_fields.push_back(field);
        m_rowLabels.push_back(label);
        y += rowHeight;
    }
    view->setFrameSize(Size { moduleWidth, y + 4 });
}

std::shared_ptr<TextField> VornickElementAttributesInspectorModule::fieldForAttribute(std::u16string_view name) const
{
    auto found = std::find(m_attributeNames.begin(), m_attributeNames.end(), name);
    if (found == m_attributeNames.end())
        return nullptr;
    return m_fields[static_cast<size_t>(found - m_attributeNames.begin())];
}

std::shared_ptr<TextField> VornickElementAttributesInspectorModule::fieldToFocus(const std::u16string* attribute) const
{
    if (attribute) {
        if (auto field = fieldForAttribute(*attribute))
            return field;
    }
    return m_fields.empty() ? nullptr : m_fields.front();
}

void VornickElementAttributesInspectorModule::focusNextField(int direction)
{
    auto window = view()->window();
    if (!window || m_fields.empty())
        return;
    auto current = std::find(m_fields.begin(), m_fields.end(), window->firstResponder());
    auto count = static_cast<std::ptrdiff_t>(m_fields.size());
    std::ptrdiff_t index = current == m_fields.end() ? 0 : (current - m_fields.begin() + direction + count) % count;
    // Moving on puts the last field's tip away.
    hideValidationTip();
    (void)window->makeFirstResponder(m_fields[static_cast<size_t>(index)]);
}

void VornickElementAttributesInspectorModule::validateField(const TextField& field)
{
    auto found = std::find_if(m_fields.begin(), m_fields.end(), [&](const auto& shown) { return shown.get() == &field; });
    auto* editor = elementEditor();
    auto element = editor ? editor->targetElement() : nullptr;
    auto document = element ? element->ownerDocument() : nullptr;
    auto spec = document ? vornick_htmlSpecForDocType(*document) : nullptr;
    auto elementSpec = spec ? spec->elementSpecForTagName(asciiLowercase(element->tagName())) : nullptr;
    auto value = field.stringValue();
    if (found == m_fields.end() || !elementSpec || !field.window()) {
        hideValidationTip();
        return;
    }
    const auto& name = m_attributeNames[static_cast<size_t>(found - m_fields.begin())];
    // An offered attribute left empty is not added: nothing to judge.
    if (value.empty() && !element->hasAttribute(name)) {
        hideValidationTip();
        return;
    }
    auto outcome = VornickAttributeValidationOutcome::NoResult;
    std::u16string message;
    auto validator = VornickHTMLAttributeValidator::attributeValidatorForAttributeName(name, *elementSpec);
    validator->validateValueString(value, name, element.get(), elementSpec.get(),
        [&](VornickAttributeValidationOutcome judged, const std::u16string& said) {
            outcome = judged;
            message = said;
        });
    bool faulty = outcome == VornickAttributeValidationOutcome::Warning || outcome == VornickAttributeValidationOutcome::Invalid;
    if (!faulty || message.empty()) {
        hideValidationTip();
        return;
    }
    VornickMomentaryTip::sharedValidationTip()->showMessage(message, std::nullopt, field.bounds(), field);
    m_showsValidationTip = true;
}

void VornickElementAttributesInspectorModule::hideValidationTip()
{
    if (!m_showsValidationTip)
        return;
    m_showsValidationTip = false;
    VornickMomentaryTip::sharedValidationTip()->orderOutImmediately();
}

void VornickElementAttributesInspectorModule::applyAndClose()
{
    closeEditor(true);
}

void VornickElementAttributesInspectorModule::cancelAndClose()
{
    closeEditor(false);
}

void VornickElementAttributesInspectorModule::closeEditor(bool apply)
{
    auto* editor = elementEditor();
    if (!editor)
        return;
    auto element = editor->targetElement();
    hideValidationTip();
    editor->discardPendingEdits();
    if (apply && element) {
        for (size_t index = 0; index < m_fields.size(); ++index) {
            const auto& name = m_attributeNames[index];
            auto value = m_fields[index]->stringValue();
            // Offered attributes left empty are not added.
            if (element->hasAttribute(name) ? element->getAttribute(name) != value : !value.empty())
                editor->setPendingAttributeValue(name, value);
        }
    }
    auto* view = editor->contentEditingView();
    editor->closePopover();
    // The page takes the keyboard back.
    if (view && view->window()) {
        view->window()->makeKeyAndOrderFront();
        if (auto& webView = view->embeddedWebView())
            (void)view->window()->makeFirstResponder(webView);
    }
}

} // namespace brevanton
