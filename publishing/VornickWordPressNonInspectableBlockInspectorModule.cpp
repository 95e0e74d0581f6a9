#include "publishing/VornickWordPressNonInspectableBlockInspectorModule.h"

#include "platform/views/TextField.h"
#include "ui/VornickFlippedView.h"

namespace brevanton {

void VornickWordPressNonInspectableBlockInspectorModule::loadView()
{
    auto view = std::make_shared<VornickFlippedView>(Rect(0, 0, 360, 28));
    view->setAutoresizingMask(Autoresizing::WidthSizable);
    auto label = TextField::labelWithString(message);
    label->setFrame(Rect(4, 5, 352, 18));
    label->setAutoresizingMask(Autoresizing::WidthSizable);
    view->addSubview(label);
    setView(view);
}

} // namespace brevanton
