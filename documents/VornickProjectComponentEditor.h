// VornickProjectComponentEditor: the base of the documents that edit one
// component of a project (the blog window, the post editor). The editors
// themselves own views and live above the editing layer; the model below asks
// here whether a component has one open.
#pragma once

#include "app/VornickProjectOrComponentEditor.h"

#include <memory>

namespace brevanton {

class VornickProjectComponent;

class VornickProjectComponentEditor : public VornickProjectOrComponentEditor {
public:
    // The open editor of the component's source file. No component editor
    // exists in this program yet, so the answer is none.
    static std::shared_ptr<VornickProjectComponentEditor> editorForComponent(const VornickProjectComponent&);

    virtual std::shared_ptr<VornickProjectComponent> projectComponent() const = 0;
};

} // namespace brevanton
