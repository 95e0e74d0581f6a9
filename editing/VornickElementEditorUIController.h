// VornickElementEditorUIController: the popover that edits the properties of
// the exactly selected element or block. A model: the popover's content is
// a view, its target the exact selection, and showing it for another target
// first accepts the edits still pending for the earlier one.
//
// The editor makes its inspector modules for each new target
// (addAllModulesForTargetObject, which a subclass overrides), stacks their
// views in the popover in module order, and has them show the target. A
// module that says it shows another target as well is kept from one target
// to the next when its class applies to both.
#pragma once

#include "html/VornickExactSelection.h"
#include "platform/views/Geometry.h"
#include "ui/VornickStackView.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;
class Popover;
class View;
class VornickContentEditingView;
class VornickElementInspectorModule;
class VornickElementInspectorModuleClass;

class VornickElementEditorUIController : private VornickStackViewDelegate {
public:
    static std::u16string nibName() { return u"VornickElementEditor"; }
    static bool canInspectElement(const DOMElement&) { return true; }

    VornickElementEditorUIController();
    virtual ~VornickElementEditorUIController();

    const std::shared_ptr<View>& view() const { return m_view; }
    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    const std::optional<VornickExactSelection>& targetObject() const { return m_targetObject; }
    const std::optional<std::u16string>& focusedAttribute() const { return m_focusedAttribute; }
    VornickContentEditingView* contentEditingView() const { return m_contentEditingView; }
    // The target object's element; null without a target.
    std::shared_ptr<DOMElement> targetElement() const;
    // A target equal to the present one changes nothing; another one gets
    // the modules that apply to it (those of the earlier target's classes
    // that can show another target are kept, with their views).
    void setTargetObject(const std::optional<VornickExactSelection>&);

    // --- Inspector modules, in the order their views are stacked
    size_t moduleCount() const { return m_modules.size(); }
    const std::vector<std::shared_ptr<VornickElementInspectorModule>>& modules() const { return m_modules; }
    void addModule(const std::shared_ptr<VornickElementInspectorModule>&);
    // The index is at most moduleCount().
    void insertModule(const std::shared_ptr<VornickElementInspectorModule>&, size_t moduleIndex);
    std::shared_ptr<VornickElementInspectorModule> firstModulePassingTest(
        const std::function<bool(VornickElementInspectorModule&)>&) const;
    // Appends a module of the class when there is a target element the
    // class can inspect; false when none was added.
    bool addInspectorModuleOfClassIfApplicable(const VornickElementInspectorModuleClass&);
    // Offers the target the modules of the editor's kind (the base: none).
    virtual void addAllModulesForTargetObject() {}

    virtual void showForTargetObject(const VornickExactSelection&, const std::optional<std::u16string>& focusAttribute, VornickContentEditingView&);
    void repositionToTrackTargetElement();
    // Does nothing while the popover is held open.
    void closePopover();
    // Held open, the popover stays while another panel (a save panel asking
    // for permission to write a file) is in front.
    bool isHeldOpen() const { return m_heldOpen; }
    void setHeldOpen(bool held) { m_heldOpen = held; }
    // Forgets the editing view (it is going away).
    void detachFromContentEditingView();

    // An edit typed but not yet applied.
    void setPendingAttributeValue(const std::u16string& name, const std::u16string& value) { m_pendingEdits[name] = value; }
    bool hasPendingEdits() const { return !m_pendingEdits.empty(); }
    // Forgets the pending edits without applying them.
    void discardPendingEdits() { m_pendingEdits.clear(); }
    // Applies the pending edits to the target element.
    virtual void acceptPendingEdits();

    // The target becomes the block or element that stands where the target
    // stood (an edit replaced it); the modules stay and show it.
    void replaceTargetObjectKeepingModules(const VornickExactSelection&);

protected:
    virtual void loadTargetObject() {}

private:
    void rebuildModules();
    void updateModulesFromElement();
    void removeAllModules();
    void wantsToResizeToFitContents(VornickStackView&, Size) override;

    std::shared_ptr<VornickStackView> m_stackView;
    std::shared_ptr<View> m_view;
    std::vector<std::shared_ptr<VornickElementInspectorModule>> m_modules;
    // While modules are rebuilt: the earlier target's, not yet kept.
    std::vector<std::shared_ptr<VornickElementInspectorModule>> m_reusableModules;
    bool m_rebuildingModules { false };
    std::shared_ptr<Popover> m_popover;
    std::optional<VornickExactSelection> m_targetObject;
    std::optional<std::u16string> m_focusedAttribute;
    VornickContentEditingView* m_contentEditingView { nullptr };
    std::map<std::u16string, std::u16string> m_pendingEdits;
    bool m_heldOpen { false };
};

} // namespace brevanton
