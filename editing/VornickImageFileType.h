// The image file types a user picks when saving a copy of an image, and the
// platform's bitmap file type each is written as.
#pragma once

#include "platform/views/BitmapImageEncoding.h"

#include <cstdint>
#include <string>

namespace brevanton {

enum class VornickImageFileType : int32_t { Other = 0, JPEG = 1, PNG = 2 };

// JPEG for JPEG, PNG for PNG, TIFF for any other type.
BitmapImageFileType VornickBitmapImageFileTypeForImageFileType(VornickImageFileType);
// The uniform type identifier of the file written: "public.jpeg",
// "public.png", and "public.tiff" for any other type (written as TIFF).
std::u16string VornickTypeIdentifierForImageFileType(VornickImageFileType);

} // namespace brevanton
