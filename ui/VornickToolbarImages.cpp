#include "ui/VornickToolbarImages.h"

#include "platform/views/BezierPath.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"

#include <functional>
#include <utility>

namespace brevanton {

namespace {

constexpr double side = 16;
const Color ink = Color::black();

using Drawing = std::function<void(GraphicsContext&)>;

BezierPath polyline(std::initializer_list<Point> points)
{
    BezierPath path;
    bool first = true;
    for (Point point : points) {
        if (first)
            path.moveToPoint(point);
        else
            path.lineToPoint(point);
        first = false;
    }
    return path;
}

// A page with a pencil across it: editing a file.
void drawPencil(GraphicsContext& context)
{
    context.strokePath(polyline({ { 4, 14 }, { 5, 11 }, { 12, 4 }, { 14, 6 }, { 7, 13 }, { 4, 14 } }), ink);
}

const std::vector<std::pair<std::u16string, Drawing>>& drawings()
{
    static const std::vector<std::pair<std::u16string, Drawing>> all = {
        { u"BrevantonToolbarIconEditSnippetSetTemplate", [](GraphicsContext& context) {
             // Braces and a pencil.
             context.strokePath(polyline({ { 5, 2 }, { 3, 3 }, { 3, 7 }, { 1, 8 }, { 3, 9 }, { 3, 13 }, { 5, 14 } }), ink);
             drawPencil(context);
         } },
        { u"BrevantonToolbarIconEditStyleSheetTemplate", [](GraphicsContext& context) {
             // A brush stroke and a pencil.
             context.fillPath(BezierPath::bezierPathWithOvalInRect(Rect(1, 2, 6, 4)), ink);
             drawPencil(context);
         } },
        { u"BrevantonToolbarIconEditHTMLFormattingPreferencesTemplate", [](GraphicsContext& context) {
             // Indented lines.
             for (int line = 0; line < 4; ++line)
                 context.drawLine(Point { 2.0 + (line % 2) * 4, 3.0 + line * 3.5 }, Point { 14, 3.0 + line * 3.5 }, ink, 1.5);
         } },
        { u"BrevantonToolbarIconSourceLoupeTemplate", [](GraphicsContext& context) {
             // A magnifier over angle brackets.
             context.strokePath(BezierPath::bezierPathWithOvalInRect(Rect(2, 2, 9, 9)), ink);
             context.drawLine(Point { 10, 10 }, Point { 14, 14 }, ink, 2);
             context.strokePath(polyline({ { 6, 4.5 }, { 4, 6.5 }, { 6, 8.5 } }), ink);
         } },
        { u"BrevantonToolbarIconClearViewTemplate", [](GraphicsContext& context) {
             // An eye.
             context.strokePath(polyline({ { 1, 8 }, { 5, 4 }, { 11, 4 }, { 15, 8 }, { 11, 12 }, { 5, 12 }, { 1, 8 } }), ink);
             context.fillPath(BezierPath::bezierPathWithOvalInRect(Rect(6, 5, 4, 6)), ink);
         } },
        { u"BrevantonToolbarIconBrickModeTemplate", [](GraphicsContext& context) {
             // Stacked blocks.
             context.strokeRect(Rect(2, 2, 12, 5), ink);
             context.strokeRect(Rect(2, 9, 12, 5), ink);
         } },
        { u"BrevantonToolbarIconViewOnWebTemplate", [](GraphicsContext& context) {
             // A globe.
             context.strokePath(BezierPath::bezierPathWithOvalInRect(Rect(1, 1, 14, 14)), ink);
             context.strokePath(BezierPath::bezierPathWithOvalInRect(Rect(5, 1, 6, 14)), ink);
             context.drawLine(Point { 1, 8 }, Point { 15, 8 }, ink);
         } },
        { u"BrevantonToolbarIconOpenWordPressAdminTemplate", [](GraphicsContext& context) {
             // A gauge.
             context.strokePath(BezierPath::bezierPathWithOvalInRect(Rect(1, 1, 14, 14)), ink);
             context.drawLine(Point { 8, 8 }, Point { 12, 4 }, ink, 1.5);
         } },
        { u"BrevantonToolbarIconPropertiesTemplate", [](GraphicsContext& context) {
             // A list of lines with bullets.
             for (int line = 0; line < 3; ++line) {
                 double y = 3.0 + line * 5;
                 context.fillRect(Rect(2, y - 1, 2, 2), ink);
                 context.drawLine(Point { 6, y }, Point { 14, y }, ink, 1.5);
             }
         } },
    };
    return all;
}

} // namespace

const std::vector<std::u16string>& VornickToolbarImageNames()
{
    static const std::vector<std::u16string> names = [] {
        std::vector<std::u16string> list;
        for (const auto& entry : drawings())
            list.push_back(entry.first);
        return list;
    }();
    return names;
}

void VornickRegisterToolbarImages()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    for (const auto& [name, drawing] : drawings()) {
        Image::registerImageNamed(name, [drawing = drawing] {
            auto image = Image::imageWithSize(Size { side, side }, drawing);
            image->setTemplate(true);
            return image;
        });
    }
}

} // namespace brevanton
