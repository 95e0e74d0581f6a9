// VornickProjectComponentEditor: the base of the documents that edit one
// component of a project (the blog window, the post editor). The editors
// themselves own views and live above the editing layer; the model below asks
// here whether a component has one open. An editor registers itself when it
// opens and unregisters when it closes; the registry holds it weakly, so an
// editor that went away without unregistering is no longer found. Main thread.
#pragma once

#include "documents/VornickProjectOrComponentEditor.h"

#include <memory>
#include <vector>

namespace brevanton {

class VornickProject;
class VornickProjectComponent;

class VornickProjectComponentEditor : public VornickProjectOrComponentEditor {
public:
    // The open editor of the component (the most recently registered one
    // editing that very object), or none.
    static std::shared_ptr<VornickProjectComponentEditor> editorForComponent(const VornickProjectComponent&);
    // The open editors of the project's components, oldest first.
    static std::vector<std::shared_ptr<VornickProjectComponentEditor>> editorsOfProject(const VornickProject&);
    static void registerEditor(const std::shared_ptr<VornickProjectComponentEditor>&);
    static void unregisterEditor(const VornickProjectComponentEditor&);

    virtual std::shared_ptr<VornickProjectComponent> projectComponent() const = 0;
    // Brings the editor's windows forward, its primary window key.
    virtual void showWindows() {}
    // Closes the editor's windows without asking about unsaved changes
    // (its component went to the Trash).
    virtual void closeEditorWindows() {}
};

} // namespace brevanton
