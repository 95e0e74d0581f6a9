#include "editing/VornickElementEditorUIController.h"

#include "editing/VornickContentEditingView.h"
#include "editing/VornickElementInspectorModule.h"
#include "editing/VornickElementInspectorModuleClass.h"
#include "editing/VornickEmbeddedWebView.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/Popover.h"
#include "platform/views/View.h"
#include "platform/web/WebFrame.h"
#include "ui/VornickUITheme.h"

#include <algorithm>
#include <utility>

namespace brevanton {

VornickElementEditorUIController::VornickElementEditorUIController()
    : m_stackView(std::make_shared<VornickStackView>(Rect(0, 0, 360, 240)))
    , m_view(m_stackView)
    , m_popover(std::make_shared<Popover>())
{
    auto& theme = VornickUITheme::currentTheme();
    m_stackView->setPadding(theme.attributeEditorMargin());
    m_stackView->setSpacing(theme.attributeEditorPaddingBetweenModules());
    m_stackView->setDelegate(this);
    m_popover->setContentView(m_view);
}

VornickElementEditorUIController::~VornickElementEditorUIController()
{
    m_stackView->setDelegate(nullptr);
    removeAllModules();
}

std::shared_ptr<DOMElement> VornickElementEditorUIController::targetElement() const
{
    return m_targetObject ? m_targetObject->element() : nullptr;
}

void VornickElementEditorUIController::setTargetObject(const std::optional<VornickExactSelection>& target)
{
    if (target == m_targetObject)
        return;
    m_targetObject = target;
    loadTargetObject();
    rebuildModules();
}

void VornickElementEditorUIController::replaceTargetObjectKeepingModules(const VornickExactSelection& target)
{
    m_targetObject = target;
    loadTargetObject();
    updateModulesFromElement();
}

void VornickElementEditorUIController::addModule(const std::shared_ptr<VornickElementInspectorModule>& module)
{
    insertModule(module, m_modules.size());
}

void VornickElementEditorUIController::insertModule(const std::shared_ptr<VornickElementInspectorModule>& module, size_t moduleIndex)
{
    if (!module || moduleIndex > m_modules.size())
        return;
    m_modules.insert(m_modules.begin() + static_cast<std::ptrdiff_t>(moduleIndex), module);
    // A rebuild stacks its modules once, after its last one.
    if (m_rebuildingModules)
        return;
    m_stackView->insertItem(module, moduleIndex);
    m_stackView->performStackLayout();
}

std::shared_ptr<VornickElementInspectorModule> VornickElementEditorUIController::firstModulePassingTest(
    const std::function<bool(VornickElementInspectorModule&)>& test) const
{
    for (const auto& module : m_modules) {
        if (test(*module))
            return module;
    }
    return nullptr;
}

bool VornickElementEditorUIController::addInspectorModuleOfClassIfApplicable(const VornickElementInspectorModuleClass& moduleClass)
{
    if (!targetElement() || !moduleClass.canInspectTargetOf(*this))
        return false;
    // A module of the class the earlier target had, and that can show
    // another one, is kept with its view: making the views is most of the
    // cost of opening the popover.
    auto kept = std::find_if(m_reusableModules.begin(), m_reusableModules.end(), [&](const auto& module) {
        return module && moduleClass.isClassOf(*module) && module->showsAnotherTarget();
    });
    if (kept != m_reusableModules.end()) {
        auto module = std::move(*kept);
        m_reusableModules.erase(kept);
        addModule(module);
        return true;
    }
    addModule(moduleClass.makeModule(*this));
    return true;
}

void VornickElementEditorUIController::removeAllModules()
{
    for (const auto& module : m_modules)
        module->detachFromElementEditor();
    m_modules.clear();
    m_stackView->removeAllItems();
}

void VornickElementEditorUIController::rebuildModules()
{
    auto previous = std::move(m_modules);
    m_modules.clear();
    m_reusableModules = previous;
    m_rebuildingModules = true;
    if (m_targetObject)
        addAllModulesForTargetObject();
    m_rebuildingModules = false;
    for (const auto& module : m_reusableModules)
        module->detachFromElementEditor();
    m_reusableModules.clear();
    // The same modules in the same order stay stacked as they are.
    if (m_modules != previous) {
        m_stackView->removeAllItems();
        for (const auto& module : m_modules)
            m_stackView->addItem(module);
    }
    updateModulesFromElement();
}

void VornickElementEditorUIController::updateModulesFromElement()
{
    // A module may change the target while it updates; the list it walks stays.
    auto modules = m_modules;
    for (const auto& module : modules)
        module->updateControlsFromElement();
    m_stackView->performStackLayout();
}

void VornickElementEditorUIController::wantsToResizeToFitContents(VornickStackView& stack, Size size)
{
    if (m_modules.empty())
        return;
    stack.setFrame(Rect(stack.frame().origin, size));
    m_popover->setContentSize(size);
    if (m_popover->isShown())
        repositionToTrackTargetElement();
}

void VornickElementEditorUIController::showForTargetObject(const VornickExactSelection& target,
                                                           const std::optional<std::u16string>& focusAttribute,
                                                           VornickContentEditingView& view)
{
    if (m_targetObject && !(*m_targetObject == target))
        acceptPendingEdits();
    m_pendingEdits.clear();
    m_focusedAttribute = focusAttribute;
    m_contentEditingView = &view;
    if (m_targetObject == target) {
        // The same element, perhaps with other comments around it.
        replaceTargetObjectKeepingModules(target);
    } else
        setTargetObject(target);
    repositionToTrackTargetElement();
    view.elementEditorDidShowWindow();
}

void VornickElementEditorUIController::repositionToTrackTargetElement()
{
    if (!m_contentEditingView || !m_targetObject || !m_targetObject->element())
        return;
    auto& webView = m_contentEditingView->embeddedWebView();
    if (!webView)
        return;
    // A block's comments and element are siblings: their bounds come from
    // the nodes, without a range (whose offsets are found by walking the
    // parent's children, thousands of blocks in a long post). This runs at
    // each scroll while the popover shows.
    auto first = m_targetObject->firstNode();
    auto last = m_targetObject->lastNode();
    Rect bounds;
    if (first->parentNode() && first->parentNode() == last->parentNode())
        bounds = m_contentEditingView->vornick_bestGuessBoundsOfSiblings(*first, *last);
    else if (auto range = m_targetObject->outerRange())
        bounds = m_contentEditingView->vornick_bestGuessBoundsOfRange(*range);
    m_popover->showRelativeToRect(bounds, std::static_pointer_cast<View>(m_contentEditingView->shared_from_this()), RectEdge::MaxY);
}

void VornickElementEditorUIController::closePopover()
{
    if (!m_popover->isShown() || m_heldOpen)
        return;
    acceptPendingEdits();
    m_popover->performClose();
    for (const auto& module : m_modules)
        module->editorPopoverDidClose();
    if (m_contentEditingView)
        m_contentEditingView->elementEditorDidHideWindow();
}

void VornickElementEditorUIController::detachFromContentEditingView()
{
    m_pendingEdits.clear();
    if (m_popover->isShown())
        m_popover->performClose();
    for (const auto& module : m_modules)
        module->editorPopoverDidClose();
    m_contentEditingView = nullptr;
    m_targetObject.reset();
    removeAllModules();
}

void VornickElementEditorUIController::acceptPendingEdits()
{
    if (!m_targetObject || !m_targetObject->element() || m_pendingEdits.empty())
        return;
    auto element = m_targetObject->element();
    auto edits = std::exchange(m_pendingEdits, {});
    // Through the editing view each edit is undoable, all of them one step.
    if (m_contentEditingView) {
        for (const auto& [name, value] : edits)
            (void)m_contentEditingView->undoableSetValue(true, value, name, element);
        return;
    }
    for (const auto& [name, value] : edits)
        element->setAttribute(name, value);
    if (!m_contentEditingView)
        return;
    auto document = element->ownerDocument();
    auto mainFrame = m_contentEditingView->mainFrame();
    auto frame = document && mainFrame ? mainFrame->frameForDocument(*document) : nullptr;
    m_contentEditingView->postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
}

} // namespace brevanton
