#include "shell/VornickDocumentEditedState.h"

namespace brevanton {

void VornickDocumentEditedState::documentWasSaved(uint64_t position, uint64_t contentVersion)
{
    m_positionsWithSavedContent = { position };
    m_changedWithoutUndo = false;
    m_position = position;
    m_contentVersion = contentVersion;
}

void VornickDocumentEditedState::documentIsAt(uint64_t position, uint64_t contentVersion, bool lastStepIsGrowing)
{
    bool contentChanged = contentVersion != m_contentVersion;
    if (position != m_position) {
        // Steps that changed nothing of the content keep what it was.
        if (!contentChanged && m_positionsWithSavedContent.contains(m_position))
            m_positionsWithSavedContent.insert(position);
    } else if (contentChanged) {
        if (lastStepIsGrowing)
            m_positionsWithSavedContent.erase(position);
        else
            m_changedWithoutUndo = true;
    }
    m_position = position;
    m_contentVersion = contentVersion;
}

bool VornickDocumentEditedState::isEdited() const
{
    return m_changedWithoutUndo || !m_positionsWithSavedContent.contains(m_position);
}

} // namespace brevanton
