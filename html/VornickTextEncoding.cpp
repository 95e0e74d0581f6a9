#include "html/VornickTextEncoding.h"

#include "platform/foundation/Text.h"

#include <unicode/ucnv.h>

#include <memory>

namespace brevanton {

namespace {

// Foundation's codes for an unreadable and an unwritable encoding.
constexpr int64_t FileReadInapplicableStringEncodingError = 261;
constexpr int64_t FileWriteInapplicableStringEncodingError = 517;

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

std::unique_ptr<UConverter, ConverterCloser> openStrictConverter(std::u16string_view encodingName)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(toUTF8(encodingName).c_str(), &status));
    if (U_FAILURE(status))
        return nullptr;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

bool isUTF8(std::u16string_view name)
{
    return equalsIgnoringASCIICase(name, u"utf-8") || equalsIgnoringASCIICase(name, u"utf8");
}

} // namespace

std::optional<std::u16string> VornickDecodeText(std::string_view bytes, std::u16string_view encodingName, Error* outError)
{
    if (isUTF8(encodingName)) {
        std::u16string text;
        if (!decodeUTF8Strictly(bytes, text)) {
            setError(outError, Error(CocoaErrorDomain, FileReadInapplicableStringEncodingError, u"The file is not valid UTF-8 text."));
            return std::nullopt;
        }
        return text;
    }
    auto converter = openStrictConverter(encodingName);
    if (!converter) {
        setError(outError, Error(CocoaErrorDomain, FileReadInapplicableStringEncodingError, u"The text encoding is not known."));
        return std::nullopt;
    }
    std::u16string text(bytes.size() * 2 + 2, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = ucnv_toUChars(converter.get(), text.data(), static_cast<int32_t>(text.size()), bytes.data(),
                                   static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) {
        setError(outError, Error(CocoaErrorDomain, FileReadInapplicableStringEncodingError, u"The file cannot be read in its encoding."));
        return std::nullopt;
    }
    text.resize(length);
    return text;
}

std::optional<std::string> VornickEncodeText(std::u16string_view text, std::u16string_view encodingName, Error* outError)
{
    if (isUTF8(encodingName))
        return toUTF8(text);
    auto converter = openStrictConverter(encodingName);
    if (!converter) {
        setError(outError, Error(CocoaErrorDomain, FileWriteInapplicableStringEncodingError, u"The text encoding is not known."));
        return std::nullopt;
    }
    std::string bytes(text.size() * 4 + 16, '\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = ucnv_fromUChars(converter.get(), bytes.data(), static_cast<int32_t>(bytes.size()), text.data(),
                                     static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status)) {
        setError(outError, Error(CocoaErrorDomain, FileWriteInapplicableStringEncodingError, u"The text cannot be written in its encoding."));
        return std::nullopt;
    }
    bytes.resize(length);
    return bytes;
}

} // namespace brevanton
