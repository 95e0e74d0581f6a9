#include "editing/VornickCommandStepName.h"

#include "editing/VornickContentEditingView.h"
#include "platform/foundation/UndoManager.h"

namespace brevanton {

namespace {

void registerKeeper(VornickContentEditingView& view, const std::shared_ptr<std::u16string>& name)
{
    view.registerUndo([name](VornickContentEditingView& view) {
        if (auto undo = view.undoManager(); undo && !name->empty())
            undo->setActionName(*name);
        registerKeeper(view, name);
    });
}

} // namespace

VornickCommandStepName::VornickCommandStepName(VornickContentEditingView& view, bool undoable, std::u16string name)
    : m_view(view)
    , m_undoable(undoable)
    , m_name(std::make_shared<std::u16string>(std::move(name)))
{
}

void VornickCommandStepName::open()
{
    if (!m_undoable || m_opened)
        return;
    m_opened = true;
    registerKeeper(m_view, m_name);
}

void VornickCommandStepName::close(const std::optional<std::u16string>& name)
{
    if (!m_opened)
        return;
    if (name)
        *m_name = *name;
    registerKeeper(m_view, m_name);
    if (auto undo = m_view.undoManager(); undo && !m_name->empty())
        undo->setActionName(*m_name);
}

} // namespace brevanton
