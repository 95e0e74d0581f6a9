#include "platform/views/SecureTextField.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/Menu.h"
#include "platform/views/Sound.h"
#include "platform/views/TextLayout.h"

#include <unicode/utf16.h>

namespace brevanton {

namespace {

constexpr const char* CopyAction = "copy:";
constexpr const char* CutAction = "cut:";

} // namespace

SecureTextField::SecureTextField(Rect frame)
    : TextField(frame)
{
    setEditable(true);
    setBezeled(true);
    setDrawsBackground(true);
    // Answered here so that the request goes no further up the chain, where
    // another responder could copy something of its own in the field's stead.
    for (const char* action : { CopyAction, CutAction })
        setActionHandler(action, [](ActionSender*) { Sound::beep(); });
}

std::u16string SecureTextField::displayedString() const
{
    const std::u16string& text = attributedStringValue().string();
    size_t characters = 0;
    for (size_t index = 0; index < text.size(); ++index) {
        if (U16_IS_LEAD(text[index]) && index + 1 < text.size() && U16_IS_TRAIL(text[index + 1]))
            ++index;
        ++characters;
    }
    return std::u16string(characters, BulletCharacter);
}

bool SecureTextField::validateMenuItem(MenuItem& item)
{
    if (item.action() == CopyAction || item.action() == CutAction)
        return false;
    return TextField::validateMenuItem(item);
}

void SecureTextField::draw(const Rect&, GraphicsContext& context)
{
    std::u16string bullets = displayedString();
    if (bullets.empty()) {
        // The background and the placeholder.
        TextField::draw(bounds(), context);
        return;
    }
    drawFrame(context, [&] {
        if (drawsBackground())
            context.fillRect(bounds(), Color::white());
    });
    const AttributedString& text = attributedStringValue();
    const Color* color = text.attributeAtIndex<Color>(ForegroundColorAttributeName, 0);
    AttributedString shown(bullets);
    context.drawText(bullets, Rect(bounds().origin, sizeOfAttributedString(shown)), color ? *color : Color::black());
}

} // namespace brevanton
