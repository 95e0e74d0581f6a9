// The draw commands a page records that need real fonts and image decoding:
// text runs (Kind::TextRun) and image files (Kind::ImageFile), drawn with a
// QPainter into the command's rectangle as it stands on the device (top-left
// origin, y down). The window's painter calls these for those kinds.
#pragma once

#include <QRectF>

class QPainter;

namespace brevanton {

struct DrawCommand;

// Starts a paint: each image file drawn from now on is looked at again on disk.
void qtBeginPaintingImageFiles();
// Each run of non-space units is drawn at the x of its first unit, on the baseline.
void qtPaintTextRun(QPainter&, const DrawCommand&, const QRectF& target);
// The file decoded with QImageReader (kept in QtImageFileCache for later
// paints of the same path while the file's identity, size and modification
// time stay the same, so a changed file is drawn changed and one that appears
// is drawn), scaled into the rectangle with the command's opacity; nothing
// when it cannot be read. The file is looked at once a paint: the first time
// its path is drawn after qtBeginPaintingImageFiles. A thumbnail (the
// command's `wantedPixelSize` set) is qtPaintThumbnailImageFile's.
// A tiled command (`tile` set) repeats the image, scaled to the tile as it
// stands on the device (`tile`), over the target and nowhere else.
void qtPaintImageFile(QPainter&, const DrawCommand&, const QRectF& target, const QRectF* tile = nullptr);
// The file decoded at no more than the command's wanted pixel size on a
// worker, fitted and centred in the target; until the decode lands, or when
// the file cannot be read, a placeholder card fills the target. The widget
// painted on (the painter's device) is repainted when the decode lands.
void qtPaintThumbnailImageFile(QPainter&, const DrawCommand&, const QRectF& target);

} // namespace brevanton
