#include "ui/VornickClickToEditTextField.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/Window.h"

namespace brevanton {

void VornickClickToEditTextField::vornick_becomeVisiblyEditable()
{
    if (m_owner)
        m_owner->clickToEditTextFieldDidBecomeVisiblyEditable(*this);
    auto window = this->window();
    if (window && window->firstResponder().get() == this)
        return;
    std::weak_ptr<VornickClickToEditTextField> weakThis = sharedAs<VornickClickToEditTextField>();
    RunLoop::main().perform([weakThis] {
        if (auto field = weakThis.lock())
            field->vornick_focusForEditing();
    });
}

void VornickClickToEditTextField::vornick_becomeApparentlyStatic()
{
    if (m_owner)
        m_owner->clickToEditTextFieldDidBecomeApparentlyStatic(*this);
}

void VornickClickToEditTextField::vornick_losingFocus()
{
    vornick_becomeApparentlyStatic();
}

bool VornickClickToEditTextField::vornick_isFocusedForEditing() const
{
    auto window = this->window();
    if (!window)
        return false;
    auto responder = window->firstResponder();
    if (responder.get() == this)
        return true;
    auto view = std::dynamic_pointer_cast<View>(responder);
    return view && view->isDescendantOf(this);
}

void VornickClickToEditTextField::vornick_focusForEditing()
{
    if (vornick_isFocusedForEditing())
        return;
    if (auto window = this->window())
        window->makeFirstResponder(sharedAs<Responder>());
}

void VornickClickToEditTextField::mouseDown(const Event& event)
{
    if (event.type() == EventType::LeftMouseDown)
        vornick_becomeVisiblyEditable();
    TextField::mouseDown(event);
}

} // namespace brevanton
