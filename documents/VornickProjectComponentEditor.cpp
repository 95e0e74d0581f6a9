#include "documents/VornickProjectComponentEditor.h"

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
