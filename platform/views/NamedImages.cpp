// Named images: the registry behind Image::imageNamed, and the platform's
// standard pictures, drawn in code as small template shapes.
#include "platform/views/BezierPath.h"
#include "platform/views/Image.h"

#include <map>

namespace brevanton {

namespace {

constexpr double standardSide = 24;

std::shared_ptr<Image> drawnTemplate(const std::function<void(GraphicsContext&)>& drawing)
{
    auto image = Image::imageWithSize(Size { standardSide, standardSide }, drawing);
    image->setTemplate(true);
    return image;
}

std::shared_ptr<Image> statusImage(Color colour)
{
    auto image = Image::imageWithSize(Size { 16, 16 }, [colour](GraphicsContext& context) {
        context.fillPath(BezierPath::bezierPathWithOvalInRect(Rect(2, 2, 12, 12)), colour);
        context.strokePath(BezierPath::bezierPathWithOvalInRect(Rect(2, 2, 12, 12)), Color::genericGamma22White(0.3));
    });
    return image;
}

struct NamedImages {
    std::map<std::u16string, Image::NamedImageMaker, std::less<>> makers;
    std::map<std::u16string, std::shared_ptr<Image>, std::less<>> made;

    NamedImages()
    {
        makers.emplace(ImageNameUser, [] {
            return drawnTemplate([](GraphicsContext& context) {
                context.fillPath(BezierPath::bezierPathWithOvalInRect(Rect(8, 3, 8, 8)), Color::black());
                context.fillPath(BezierPath::bezierPathWithRoundedRect(Rect(4, 13, 16, 8), 4, 4), Color::black());
            });
        });
        makers.emplace(ImageNameStatusAvailable, [] { return statusImage(Color::sRGB255(101, 198, 85)); });
        makers.emplace(ImageNameStatusUnavailable, [] { return statusImage(Color::sRGB255(230, 70, 60)); });
        makers.emplace(ImageNameShareTemplate, [] {
            return drawnTemplate([](GraphicsContext& context) {
                BezierPath box;
                box.moveToPoint({ 8, 9 });
                box.lineToPoint({ 5, 9 });
                box.lineToPoint({ 5, 21 });
                box.lineToPoint({ 19, 21 });
                box.lineToPoint({ 19, 9 });
                box.lineToPoint({ 16, 9 });
                context.strokePath(box, Color::black());
                BezierPath arrow;
                arrow.moveToPoint({ 12, 15 });
                arrow.lineToPoint({ 12, 3 });
                arrow.moveToPoint({ 8, 7 });
                arrow.lineToPoint({ 12, 3 });
                arrow.lineToPoint({ 16, 7 });
                context.strokePath(arrow, Color::black());
            });
        });
    }
};

NamedImages& namedImages()
{
    static NamedImages images;
    return images;
}

} // namespace

std::shared_ptr<Image> Image::imageNamed(std::u16string_view name)
{
    auto& images = namedImages();
    if (auto found = images.made.find(name); found != images.made.end())
        return found->second;
    auto maker = images.makers.find(name);
    if (maker == images.makers.end() || !maker->second)
        return nullptr;
    auto image = maker->second();
    if (!image)
        return nullptr;
    image->m_name = std::u16string(name);
    images.made.emplace(std::u16string(name), image);
    return image;
}

void Image::registerImageNamed(std::u16string name, NamedImageMaker maker)
{
    auto& images = namedImages();
    if (auto found = images.made.find(name); found != images.made.end())
        images.made.erase(found);
    images.makers[std::move(name)] = std::move(maker);
}

} // namespace brevanton
