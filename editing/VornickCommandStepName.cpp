#include "editing/VornickCommandStepName.h"

#include "editing/commands/VornickEditingContext.h"
#include "platform/foundation/UndoManager.h"

namespace brevanton {

namespace {

void registerKeeper(VornickEditingContext& context, const std::shared_ptr<std::u16string>& name)
{
    context.registerUndo([name](VornickEditingContext& context) {
        if (auto undo = context.undoManager(); undo && !name->empty())
            undo->setActionName(*name);
        registerKeeper(context, name);
    });
}

} // namespace

VornickCommandStepName::VornickCommandStepName(VornickEditingContext& context, bool undoable, std::u16string name)
    : m_context(context)
    , m_undoable(undoable)
    , m_name(std::make_shared<std::u16string>(std::move(name)))
{
}

void VornickCommandStepName::open()
{
    if (!m_undoable || m_opened)
        return;
    m_opened = true;
    registerKeeper(m_context, m_name);
}

void VornickCommandStepName::close(const std::optional<std::u16string>& name)
{
    if (!m_opened)
        return;
    if (name)
        *m_name = *name;
    registerKeeper(m_context, m_name);
    if (auto undo = m_context.undoManager(); undo && !m_name->empty())
        undo->setActionName(*m_name);
}

} // namespace brevanton
