// Keeps a command's name on its undo step through Undo and Redo. A command
// made of several primitives registers their inverses, and those name the
// step again while they run (an insertion's inverse calls it "Delete"), so
// the redone step would take the name of whichever ran last. A keeper that
// names the step is registered before the first primitive and after the
// last; each keeper registers itself again when it runs, so in both
// directions one of them runs after every inverse.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class VornickEditingContext;

class VornickCommandStepName {
public:
    // The name may be left empty until `close`.
    VornickCommandStepName(VornickEditingContext&, bool undoable, std::u16string name = {});

    // Registers the opening keeper, once: call right before the first
    // primitive that registers an inverse.
    void open();
    // Registers the closing keeper and names the step (with `name` when
    // given); nothing when the keeper was never opened.
    void close(const std::optional<std::u16string>& name = std::nullopt);

private:
    VornickEditingContext& m_context;
    bool m_undoable;
    bool m_opened { false };
    std::shared_ptr<std::u16string> m_name;
};

} // namespace brevanton
