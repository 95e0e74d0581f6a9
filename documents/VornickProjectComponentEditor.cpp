#include "documents/VornickProjectComponentEditor.h"

namespace brevanton {

std::shared_ptr<VornickProjectComponentEditor> VornickProjectComponentEditor::editorForComponent(const VornickProjectComponent&)
{
    return nullptr;
}

} // namespace brevanton
