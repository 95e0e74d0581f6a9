#include "documents/VornickProjectComponentEditor.h"

#include "documents/VornickProject.h"
#include "documents/VornickProjectComponent.h"

#include <algorithm>
#include <vector>

namespace brevanton {

namespace {

std::vector<std::weak_ptr<VornickProjectComponentEditor>>& openEditors()
{
    static std::vector<std::weak_ptr<VornickProjectComponentEditor>> editors;
    return editors;
}

} // namespace

std::shared_ptr<VornickProjectComponentEditor> VornickProjectComponentEditor::editorForComponent(const VornickProjectComponent& component)
{
    auto& editors = openEditors();
    std::erase_if(editors, [](auto& editor) { return editor.expired(); });
    for (auto it = editors.rbegin(); it != editors.rend(); ++it) {
        auto editor = it->lock();
        if (editor && editor->projectComponent().get() == &component)
            return editor;
    }
    return nullptr;
}

std::vector<std::shared_ptr<VornickProjectComponentEditor>> VornickProjectComponentEditor::editorsOfProject(const VornickProject& project)
{
    std::vector<std::shared_ptr<VornickProjectComponentEditor>> found;
    for (auto& entry : openEditors()) {
        auto editor = entry.lock();
        auto component = editor ? editor->projectComponent() : nullptr;
        if (component && component->project().get() == &project)
            found.push_back(std::move(editor));
    }
    return found;
}

void VornickProjectComponentEditor::registerEditor(const std::shared_ptr<VornickProjectComponentEditor>& editor)
{
    if (!editor)
        return;
    unregisterEditor(*editor);
    openEditors().push_back(editor);
}

void VornickProjectComponentEditor::unregisterEditor(const VornickProjectComponentEditor& editor)
{
    std::erase_if(openEditors(), [&](auto& entry) {
        auto open = entry.lock();
        return !open || open.get() == &editor;
    });
}

} // namespace brevanton
