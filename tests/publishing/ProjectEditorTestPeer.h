// Reaches inside VornickProjectEditor: an open editor around a project the
// test made (of a test's own project class), which opening its project file
// then finds instead of reading the file.
#pragma once

#include "publishing/VornickProjectEditor.h"

#include <memory>

namespace brevanton {

class VornickProjectEditorTestPeer {
public:
    static std::shared_ptr<VornickProjectEditor> openEditorForProject(std::shared_ptr<VornickProject> project)
    {
        auto editor = std::shared_ptr<VornickProjectEditor>(new VornickProjectEditor(std::move(project)));
        VornickProjectEditor::openEditors().push_back(editor);
        return editor;
    }
};

} // namespace brevanton
