#include "editing/VornickImageFileType.h"

#include "platform/foundation/TypeIdentifiers.h"

namespace brevanton {

BitmapImageFileType VornickBitmapImageFileTypeForImageFileType(VornickImageFileType type)
{
    switch (type) {
    case VornickImageFileType::JPEG:
        return BitmapImageFileType::JPEG;
    case VornickImageFileType::PNG:
        return BitmapImageFileType::PNG;
    case VornickImageFileType::Other:
        break;
    }
    return BitmapImageFileType::TIFF;
}

std::u16string VornickTypeIdentifierForImageFileType(VornickImageFileType type)
{
    switch (VornickBitmapImageFileTypeForImageFileType(type)) {
    case BitmapImageFileType::JPEG:
        return TypeIdentifier::JPEG;
    case BitmapImageFileType::PNG:
        return TypeIdentifier::PNG;
    case BitmapImageFileType::TIFF:
        break;
    }
    return TypeIdentifier::TIFF;
}

} // namespace brevanton
