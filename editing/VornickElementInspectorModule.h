// VornickElementInspectorModule: one module of the element editor's popover,
// a view of controls that edit some properties of the editor's target. The
// editor makes its modules for each new target, stacks their views in its
// popover and asks them to show the target whenever it changes.
//
// A module that shows any target it applies to (showsAnotherTarget) may be
// kept for the editor's next target, and is then updated, not made again.
//
// A module's view is made on first request (loadView); `nibName` names the
// interface it shows. The editor owns its modules and outlives them, so a
// module keeps only a plain pointer back to it.
#pragma once

#include "ui/VornickStackView.h"

#include <string>

namespace brevanton {

class VornickElementEditorUIController;

class VornickElementInspectorModule : public VornickStackItem {
public:
    explicit VornickElementInspectorModule(VornickElementEditorUIController& elementEditor)
        : m_elementEditor(&elementEditor)
    {
    }

    virtual std::u16string nibName() const { return u"VornickElementInspectorModule"; }
    VornickElementEditorUIController* elementEditor() const { return m_elementEditor; }
    // Shows the editor's target in the controls (the base shows nothing).
    virtual void updateControlsFromElement() {}
    // Whether updateControlsFromElement shows any target it applies to,
    // whatever target the module showed before, so that the editor may keep
    // the module (and its view) for the next target.
    virtual bool showsAnotherTarget() const { return false; }
    // The editor's popover closed (the base: nothing).
    virtual void editorPopoverDidClose() {}

    // Called by the editor when it lets the module go.
    void detachFromElementEditor() { m_elementEditor = nullptr; }

private:
    VornickElementEditorUIController* m_elementEditor;
};

} // namespace brevanton
