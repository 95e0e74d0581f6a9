// GraphicsContext: the drawing surface of the headless view layer. Instead
// of pixels it records the drawing commands in order, each with the view
// that drew it and its rectangle in the view's and in the window's base
// coordinates, so tests can check what was drawn where.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/BezierPath.h"
#include "platform/views/ControlDrawing.h"
#include "platform/views/Font.h"
#include "platform/views/Geometry.h"
#include "platform/views/Gradient.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Image;
class View;

// How drawn colour combines with what is already there: Clear erases to
// transparent, Copy replaces, SourceOver blends by the colour's alpha.
enum class CompositingOperation { Clear = 0, Copy = 1, SourceOver = 2 };

struct DrawCommand {
    // TextRun: positioned text in a font (`font`, `baselineOffset`, `glyphPositions`).
    // ImageFile: an image file to decode and draw into the rectangle (`imagePath`;
    // with `wantedPixelSize`, a thumbnail: see drawImageFileAtPixelSize).
    // FillRoundedRect, StrokeRoundedRect: a rectangle with corners of `cornerRadius`
    // (a stroke of `lineWidth` inside the rectangle's edge).
    // BeginClip: what follows, up to the matching EndClip, is drawn only inside `rect`
    // (nested clips intersect).
    // Control: a control by kind and state (`control`), its title in `text`,
    // followed by its plain drawing (see GraphicsContext::drawControl).
    enum class Kind {
        FillRect,
        StrokeRect,
        Line,
        Text,
        Image,
        FillPath,
        StrokePath,
        Gradient,
        TextRun,
        ImageFile,
        FillRoundedRect,
        StrokeRoundedRect,
        BeginClip,
        EndClip,
        Control,
    };

    Kind kind { Kind::FillRect };
    const View* view { nullptr };
    // In the drawing view's coordinates; for a line, the rectangle spanning its ends.
    Rect rect;
    Rect rectInWindow;
    Color color;
    double lineWidth { 0 };
    // Text drawn, or the name of an image.
    std::u16string text;
    // An image drawn by value (a drawn or cached image).
    std::shared_ptr<const Image> image;
    CompositingOperation operation { CompositingOperation::SourceOver };
    // The opacity an image is drawn with.
    double fraction { 1 };
    // The path filled or stroked (its line width and dash included).
    std::optional<BezierPath> path;
    // A gradient drawn into the rectangle at an angle in degrees.
    std::optional<Gradient> gradient;
    double angle { 0 };
    // A text run's font; the distance of its baseline below the rectangle's
    // top edge (the edge on top as the view is seen, flipped or not); and the
    // x of each unit of `text` (and of its end) from the rectangle's left edge. A painter
    // draws each run of non-space units at the x of its first unit.
    std::optional<FontDescriptor> font;
    double baselineOffset { 0 };
    std::vector<double> glyphPositions;
    // An image file's path in the file system (UTF-8).
    std::string imagePath;
    // A tiled image file: the rectangle of one tile, at the image's pixel
    // size; the image is repeated in step with it over the command's
    // rectangle, and nothing is drawn outside that rectangle.
    std::optional<Rect> tile;
    // A thumbnail's size in device pixels: the file is decoded at no more
    // than this size, its aspect kept, and drawn fitted and centred in the
    // rectangle. A backend may decode it in the background, drawing a
    // placeholder in the rectangle until it has the picture.
    std::optional<Size> wantedPixelSize;

    // The radius of a rounded rectangle's corners.
    double cornerRadius { 0 };
    // A control's kind, state and plain drawing's length.
    std::optional<ControlDrawing> control;
};

class GraphicsContext {
public:
    void fillRect(const Rect&, const Color&, CompositingOperation = CompositingOperation::SourceOver);
    void strokeRect(const Rect&, const Color&, double lineWidth = 1);
    void drawLine(Point from, Point to, const Color&, double lineWidth = 1);
    // `rect` is the text's box; its origin is where the text starts.
    void drawText(std::u16string, const Rect&, const Color&);
    void drawImage(std::u16string name, const Rect&, CompositingOperation = CompositingOperation::SourceOver,
                   double fraction = 1);
    // `rotation`: the picture turned about the rectangle's centre, in
    // degrees counterclockwise as seen (kept in the command's angle).
    void drawImage(const std::shared_ptr<const Image>&, const Rect&,
                   CompositingOperation = CompositingOperation::SourceOver, double fraction = 1, double rotation = 0);
    // A path's rectangle is its bounds; a stroke uses the path's line width and dash.
    void fillPath(const BezierPath&, const Color&, CompositingOperation = CompositingOperation::SourceOver);
    void strokePath(const BezierPath&, const Color&);
    // Angle 90 runs from the starting colour at the bottom to the ending one at the top.
    void drawGradient(const Gradient&, const Rect&, double angle);
    // Text placed unit by unit: `positions` holds the x (in the view's
    // coordinates) of each unit of `text`; `baseline` is the baseline's y;
    // `rect` is the run's box (its line box).
    void drawTextRun(std::u16string text, const FontDescriptor&, const Rect&, double baseline,
                     const std::vector<double>& positions, const Color&);
    // An image file scaled into the rectangle.
    void drawImageFile(std::string path, const Rect&, double fraction = 1);
    // An image file decoded at no more than `pixelSize` (device pixels) and
    // drawn fitted and centred in the rectangle: a thumbnail.
    void drawImageFileAtPixelSize(std::string path, const Rect&, Size pixelSize, double fraction = 1);
    // An image file repeated over the rectangle from `tile`, the place of one of its copies.
    void drawTiledImageFile(std::string path, const Rect&, const Rect& tile);

    // A rectangle with rounded corners (the radius is limited to half the
    // shorter side); the stroke lies inside the rectangle's edge.
    void fillRoundedRect(const Rect&, double radius, const Color&);
    void strokeRoundedRect(const Rect&, double radius, const Color&, double lineWidth);
    // A control filling the rectangle, by kind and state, its title drawn
    // in it; then its plain drawing, the commands `drawPlain` records, which
    // a backend drawing the control in the desktop's style passes over.
    void drawControl(ControlDrawing, std::u16string title, const Rect&, const std::function<void()>& drawPlain = {});
    // Everything drawn until the matching endClip() is limited to the rectangle.
    void beginClip(const Rect&);
    void endClip();
    // Multiplies the alpha of the colours (and the opacity of the images) of
    // the commands recorded from `firstCommand` on: what they draw is faded
    // as a whole by `opacity`.
    void fadeCommands(size_t firstCommand, double opacity);

    const std::vector<DrawCommand>& commands() const { return m_commands; }
    // Hands the recorded commands over, leaving the context with none.
    std::vector<DrawCommand> takeCommands();
    std::vector<DrawCommand> commandsOfView(const View*) const;
    // The views whose draw() ran, in drawing order.
    const std::vector<const View*>& drawnViews() const { return m_drawnViews; }
    void clear();

    // Set by View while a view draws.
    const View* currentView() const { return m_currentView; }
    void beginView(const View*);
    void endView();

private:
    void record(DrawCommand&&);

    std::vector<DrawCommand> m_commands;
    std::vector<const View*> m_drawnViews;
    const View* m_currentView { nullptr };
    // Where the current view's origin lies in the window's base coordinates,
    // and whether its y runs the other way there (views are only moved and
    // flipped, never scaled).
    Point m_currentViewOriginInWindow;
    bool m_currentViewTurnedInWindow { false };
};

} // namespace brevanton
