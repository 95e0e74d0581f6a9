// VornickWordPressNonInspectableBlockInspectorModule: the module a block no
// other module inspects shows: a message that it has nothing to inspect.
#pragma once

#include "publishing/VornickWordPressBlockInspectorModule.h"

namespace brevanton {

class VornickWordPressNonInspectableBlockInspectorModule final : public VornickWordPressBlockInspectorModule {
public:
    static constexpr const char16_t* message = u"This block has no settings to change here.";

    using VornickWordPressBlockInspectorModule::VornickWordPressBlockInspectorModule;

    std::u16string nibName() const override { return u"WordPressNonInspectableBlockInspectorModule"; }

protected:
    void loadView() override;
};

} // namespace brevanton
