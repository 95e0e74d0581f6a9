// VornickElementEditorUIController: the popover that edits the properties of
// the exactly selected element or block. A model: the popover's content is
// a view, its target the exact selection, and showing it for another target
// first accepts the edits still pending for the earlier one.
#pragma once

#include "html/VornickExactSelection.h"
#include "platform/views/Geometry.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class DOMElement;
class Popover;
class View;
class VornickContentEditingView;

class VornickElementEditorUIController {
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

    void showForTargetObject(const VornickExactSelection&, const std::optional<std::u16string>& focusAttribute, VornickContentEditingView&);
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

protected:
    virtual void loadTargetObject() {}

private:
    std::shared_ptr<View> m_view;
    std::shared_ptr<Popover> m_popover;
    std::optional<VornickExactSelection> m_targetObject;
    std::optional<std::u16string> m_focusedAttribute;
    VornickContentEditingView* m_contentEditingView { nullptr };
    std::map<std::u16string, std::u16string> m_pendingEdits;
    bool m_heldOpen { false };
};

} // namespace brevanton
