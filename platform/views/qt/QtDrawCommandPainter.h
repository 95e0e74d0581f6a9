// QtDrawCommandPainter: replays the draw commands a GraphicsContext recorded
// with a QPainter, so that the window backend paints exactly what the view
// layer recorded. Each command is drawn in the coordinates of the view that
// drew it: the painter maps them through the view's place in its window to
// the window's base coordinates (unflipped, origin at the bottom left) and
// from there to the device (origin at the top left). One member per kind of
// command; a new kind is one more case and one more member.
#pragma once

#include "platform/views/GraphicsContext.h"

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QTransform>

#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace brevanton {

class Font;
class Image;

class QtDrawCommandPainter {
public:
    // `baseToDevice` maps the window's base coordinates to the painter's
    // device; for a widget showing a window's content area of height h it is
    // the flip y -> h - y (forWindowContentHeight). Each painter is one
    // paint: the image files it draws are looked at on disk again (a
    // thumbnail's as often as QtImageFileCache allows).
    QtDrawCommandPainter(QPainter&, const QTransform& baseToDevice);
    // Ends the clips the commands began and did not end.
    ~QtDrawCommandPainter();
    QtDrawCommandPainter(const QtDrawCommandPainter&) = delete;
    QtDrawCommandPainter& operator=(const QtDrawCommandPainter&) = delete;
    static QTransform forWindowContentHeight(double height);

    void paint(const std::vector<DrawCommand>&);
    void paint(const DrawCommand&);
    // Paints what a window's views drew, each view's commands only within
    // the part of the view that is visible in its window (a scrolled page
    // never covers the panes around it); commands of no view are not
    // limited. The painter is clipped to a view only for a command that
    // could reach outside it. Clips the commands began and did not end end
    // with the call.
    void paintWithinVisibleRects(const std::vector<DrawCommand>&);

    // The Qt font text of `font` is drawn with (its family, its size in
    // pixels, a point being a pixel).
    static QFont qtFont(const Font&);

private:
    void fillRect(const DrawCommand&);
    void strokeRect(const DrawCommand&);
    void line(const DrawCommand&);
    void text(const DrawCommand&);
    void image(const DrawCommand&);
    void fillPath(const DrawCommand&);
    void strokePath(const DrawCommand&);
    void gradient(const DrawCommand&);
    // Page text and image files (QtPageCommandPainter.h), on the device as the view's transform places them.
    void textRun(const DrawCommand&);
    void imageFile(const DrawCommand&);
    // A control in the desktop's style (QtControlStyle.h), in place of its plain drawing.
    void control(const DrawCommand&);
    // How many commands after this one the painter passes over: a
    // control's plain drawing when it draws the control in the style.
    size_t passedOver(const DrawCommand&) const;
    void fillRoundedRect(const DrawCommand&);
    void strokeRoundedRect(const DrawCommand&);
    // A clip lasts across commands: the painter's state is saved at its
    // beginning and restored at its end.
    void beginClip(const DrawCommand&);
    void endClip();
    // Fills, strokes, lines, text, page text and image files set all the
    // state they draw with (the transform, compositing, pen and font) or
    // put it back: they are drawn without saving the painter's state, and
    // leave what they set for the next command.
    static bool drawsWithoutSavingState(DrawCommand::Kind);
    // Where a command draws on the device, when that is known exactly;
    // nullopt when it may draw outside its rectangle (text, paths).
    std::optional<QRectF> deviceExtent(const DrawCommand&);
    // A stroked rectangle's outer and inner edges on the device, when they
    // fall on whole pixels: the stroke covers the pixels between them.
    static std::optional<std::pair<QRect, QRect>> strokeRing(const QTransform&, const DrawCommand&);

    // The recorded image's own commands into the device rectangle.
    void paintDrawnImage(const Image&, const QRectF& deviceRect, double opacity);
    // A named image (no pixels known to the backend): a framed placeholder.
    void paintNamedImagePlaceholder(const QRectF& deviceRect, double opacity);
    // Where a view is on the device: its coordinates mapped there, and the
    // part of it visible in its window (its bounds within its superviews'),
    // each found once a paint from its superview's.
    struct ViewPlacement {
        QTransform toDevice;
        QRectF visibleInDevice;
    };
    const ViewPlacement& placementOf(const View*);
    ViewPlacement placeView(const View*);
    // The view's coordinates to the device (through the painter's transform
    // when the replay began).
    const QTransform& transformForView(const View* view) { return placementOf(view).toDevice; }
    // Sets the painter's transform unless it is set already.
    void useTransform(const QTransform&);
    QFont fontForText(const DrawCommand&) const;
    const QFont& systemFont() const;

    QPainter& m_painter;
    QTransform m_baseToDevice;
    // The painter's transform when the replay began: the commands' are set on top of it.
    QTransform m_initialTransform;
    // The views placed so far, in the order they were placed. A painting
    // of a few dozen views finds them by looking along the list, without
    // hashing or a node allocated each; one of more views indexes them.
    std::vector<std::pair<const View*, ViewPlacement>> m_placements;
    std::unordered_map<const View*, size_t> m_placementIndexes;
    const View* m_lastPlacedView { nullptr };
    size_t m_lastPlacement { 0 };
    unsigned m_clipDepth { 0 };
    bool m_drawsControls { false };
    // The system font other views' text is drawn in, made once a paint.
    mutable std::optional<QFont> m_systemFont;
};

} // namespace brevanton
