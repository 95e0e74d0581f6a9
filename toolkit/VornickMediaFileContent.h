// The kind of media a file holds, told by its first bytes rather than its
// name: a picture in a format browsers show (PNG, JPEG, GIF, WebP, BMP, ICO,
// TIFF, AVIF, HEIC), a sound (MP3, AAC, Ogg, FLAC, WAV, M4A) or a film (MP4,
// QuickTime, WebM, Matroska, AVI, 3GP). SVG and other text formats are none:
// they may carry scripts.
#pragma once

#include <cstddef>
#include <string_view>

namespace brevanton {

enum class VornickMediaContentKind { None, Image, Audio, Video };

// How many bytes at the start of a file the test reads.
inline constexpr size_t VornickMediaContentPrefixLength = 32;

VornickMediaContentKind vornick_mediaContentKindOfPrefix(std::string_view firstBytes);

} // namespace brevanton
