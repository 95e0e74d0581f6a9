#include "app/VornickApplicationIcons.h"

#include "platform/views/BezierPath.h"
#include "platform/views/Image.h"

namespace brevanton {

namespace {

// A page with angle brackets on a rounded square of `ground`.
std::shared_ptr<Image> drawIcon(Color ground, Color page, Color marks)
{
    return Image::imageWithSize(Size { 64, 64 }, [=](GraphicsContext& context) {
        context.fillRoundedRect(Rect(2, 2, 60, 60), 14, ground);
        context.fillRect(Rect(16, 10, 32, 44), page);
        BezierPath brackets;
        brackets.setLineWidth(3);
        brackets.moveToPoint({ 28, 22 });
        brackets.lineToPoint({ 21, 32 });
        brackets.lineToPoint({ 28, 42 });
        brackets.moveToPoint({ 36, 22 });
        brackets.lineToPoint({ 43, 32 });
        brackets.lineToPoint({ 36, 42 });
        context.strokePath(brackets, marks);
    });
}

} // namespace

void VornickRegisterApplicationIcons()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    Image::registerImageNamed(VornickStandardAppIconImageName,
                              [] { return drawIcon(Color::sRGB255(36, 99, 196), Color::white(), Color::sRGB255(36, 99, 196)); });
    Image::registerImageNamed(VornickClassicAppIconImageName,
                              [] { return drawIcon(Color::sRGB255(214, 120, 30), Color::sRGB255(250, 240, 214), Color::sRGB255(120, 60, 10)); });
}

} // namespace brevanton
