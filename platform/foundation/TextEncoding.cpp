#include "platform/foundation/TextEncoding.h"

#include "platform/foundation/Text.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/utf16.h>

#include <memory>

namespace brevanton {

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPointer = std::unique_ptr<UConverter, ConverterCloser>;

bool isUTF8(std::u16string_view encoding)
{
    return equalsIgnoringASCIICase(encoding, u"utf-8") || equalsIgnoringASCIICase(encoding, u"utf8");
}

// ICU's converters of these names hold less than what the web means by them:
// the encodings web pages are written in are the supersets.
std::string converterNameForEncoding(std::u16string_view encoding)
{
    if (equalsIgnoringASCIICase(encoding, u"EUC-KR"))
        return "windows-949";
    if (equalsIgnoringASCIICase(encoding, u"Big5"))
        return "Big5-HKSCS";
    return toUTF8(encoding);
}

// Null for the empty name (ICU would open its platform default) and unknown names.
ConverterPointer openConverter(std::u16string_view encoding)
{
    if (encoding.empty())
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    ConverterPointer converter(ucnv_open(converterNameForEncoding(encoding).c_str(), &status));
    if (U_FAILURE(status))
        return nullptr;
    return converter;
}

ConverterPointer openStrictConverter(std::u16string_view encoding)
{
    auto converter = openConverter(encoding);
    if (!converter)
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

// Decodes with whatever callback the converter has; false when it reports a failure.
bool decodeWith(UConverter* converter, std::string_view bytes, std::u16string& out)
{
    out.assign(bytes.size() * 2 + 2, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t length = ucnv_toUChars(converter, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                                       static_cast<int32_t>(bytes.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR && attempt == 0) {
            out.assign(static_cast<size_t>(length) + 1, u'\0');
            continue;
        }
        if (U_FAILURE(status))
            return false;
        out.resize(static_cast<size_t>(length));
        return true;
    }
    return false;
}

// Streams into a growing buffer, so that a fallback callback runs once per character.
bool encodeWith(UConverter* converter, std::u16string_view text, std::string& out)
{
    out.assign(static_cast<size_t>(UCNV_GET_MAX_BYTES_FOR_STRING(text.size() + 1, ucnv_getMaxCharSize(converter))), '\0');
    ucnv_resetFromUnicode(converter);
    const UChar* source = text.data();
    const UChar* sourceLimit = source + text.size();
    size_t written = 0;
    while (true) {
        char* target = out.data() + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUnicode(converter, &target, out.data() + out.size(), &source, sourceLimit, nullptr, true, &status);
        written = static_cast<size_t>(target - out.data());
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2 + 16);
            continue;
        }
        ucnv_resetFromUnicode(converter);
        if (U_FAILURE(status))
            return false;
        out.resize(written);
        return true;
    }
}

struct FallbackContext {
    const TextEncodingFallback* fallback;
    bool replacing { false };
};

void U_CALLCONV fallbackCallback(const void* context, UConverterFromUnicodeArgs* arguments, const UChar*, int32_t, UChar32 codePoint,
                                 UConverterCallbackReason reason, UErrorCode* status)
{
    if (reason > UCNV_IRREGULAR)
        return;
    auto* fallbackContext = static_cast<FallbackContext*>(const_cast<void*>(context));
    // A replacement that itself cannot be encoded fails the conversion rather than recursing.
    if (fallbackContext->replacing)
        return;
    std::u16string replacement = (*fallbackContext->fallback)(static_cast<char32_t>(codePoint));
    *status = U_ZERO_ERROR;
    const UChar* source = replacement.data();
    fallbackContext->replacing = true;
    ucnv_cbFromUWriteUChars(arguments, &source, source + replacement.size(), 0, status);
    fallbackContext->replacing = false;
}

void appendUTF8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80)
        out.push_back(static_cast<char>(codePoint));
    else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// UTF-8 holds every scalar value; only unpaired surrogates go to the fallback.
std::string encodeUTF8WithFallback(std::u16string_view text, const TextEncodingFallback& fallback)
{
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (size_t i = 0; i < text.size();) {
        char16_t unit = text[i];
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
            ++i;
            continue;
        }
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            appendUTF8(out, U16_GET_SUPPLEMENTARY(unit, text[i + 1]));
            i += 2;
            continue;
        }
        if (isHighSurrogate(unit) || isLowSurrogate(unit))
            out += toUTF8(fallback(unit));
        else
            appendUTF8(out, unit);
        ++i;
    }
    return out;
}

// The converter of the last encoding asked about on this thread, with STOP callbacks.
struct EncodabilityCache {
    std::u16string encoding;
    bool valid { false };
    ConverterPointer converter;
};

UConverter* encodabilityConverter(std::u16string_view encoding)
{
    thread_local EncodabilityCache cache;
    if (!cache.valid || cache.encoding != encoding) {
        cache.encoding = std::u16string(encoding);
        cache.converter = openStrictConverter(encoding);
        cache.valid = true;
    }
    return cache.converter.get();
}

} // namespace

bool isKnownTextEncoding(std::u16string_view encoding)
{
    return isUTF8(encoding) || openConverter(encoding);
}

std::optional<std::u16string> decodeText(std::string_view bytes, std::u16string_view encoding, Error* outError)
{
    std::u16string text;
    if (isUTF8(encoding)) {
        if (!decodeUTF8Strictly(bytes, text)) {
            setError(outError, Error(CocoaErrorDomain, TextEncodingInapplicableForReadingError, u"The text is not valid UTF-8."));
            return std::nullopt;
        }
        return text;
    }
    auto converter = openStrictConverter(encoding);
    if (!converter) {
        setError(outError, Error(CocoaErrorDomain, TextEncodingUnknownError,
                                 u"The text encoding \u201c" + std::u16string(encoding) + u"\u201d is not known."));
        return std::nullopt;
    }
    if (!decodeWith(converter.get(), bytes, text)) {
        setError(outError, Error(CocoaErrorDomain, TextEncodingInapplicableForReadingError,
                                 u"The text is not valid " + std::u16string(encoding) + u"."));
        return std::nullopt;
    }
    return text;
}

std::optional<std::u16string> decodeTextReplacingInvalid(std::string_view bytes, std::u16string_view encoding)
{
    if (isUTF8(encoding))
        return toUTF16(bytes);
    auto converter = openConverter(encoding);
    if (!converter)
        return std::nullopt;
    std::u16string text;
    if (!decodeWith(converter.get(), bytes, text))
        return std::nullopt;
    return text;
}

std::optional<std::string> encodeText(std::u16string_view text, std::u16string_view encoding, Error* outError)
{
    if (isUTF8(encoding))
        return toUTF8(text);
    auto converter = openStrictConverter(encoding);
    if (!converter) {
        setError(outError, Error(CocoaErrorDomain, TextEncodingInapplicableForWritingError,
                                 u"The text encoding \u201c" + std::u16string(encoding) + u"\u201d is not known."));
        return std::nullopt;
    }
    std::string bytes;
    if (!encodeWith(converter.get(), text, bytes)) {
        setError(outError, Error(CocoaErrorDomain, TextEncodingInapplicableForWritingError,
                                 u"The text cannot be written as " + std::u16string(encoding) + u"."));
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> encodeText(std::u16string_view text, std::u16string_view encoding, const TextEncodingFallback& fallback,
                                      Error* outError)
{
    if (isUTF8(encoding))
        return encodeUTF8WithFallback(text, fallback);
    auto converter = openConverter(encoding);
    if (!converter) {
        setError(outError, Error(CocoaErrorDomain, TextEncodingInapplicableForWritingError,
                                 u"The text encoding \u201c" + std::u16string(encoding) + u"\u201d is not known."));
        return std::nullopt;
    }
    FallbackContext context { &fallback };
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter.get(), fallbackCallback, &context, nullptr, nullptr, &status);
    std::string bytes;
    if (U_FAILURE(status) || !encodeWith(converter.get(), text, bytes)) {
        setError(outError, Error(CocoaErrorDomain, TextEncodingInapplicableForWritingError,
                                 u"The text cannot be written as " + std::u16string(encoding) + u"."));
        return std::nullopt;
    }
    return bytes;
}

bool canEncode(char32_t codePoint, std::u16string_view encoding)
{
    if (isUTF8(encoding))
        return codePoint <= 0x10FFFF && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
    UConverter* converter = encodabilityConverter(encoding);
    if (!converter)
        return true;
    if (codePoint > 0x10FFFF)
        return false;
    UChar units[2];
    int32_t length = 0;
    U16_APPEND_UNSAFE(units, length, static_cast<UChar32>(codePoint));
    char buffer[32];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter);
    ucnv_fromUChars(converter, buffer, sizeof buffer, units, length, &status);
    ucnv_reset(converter);
    return U_SUCCESS(status);
}

std::optional<std::u16string> standardTextEncodingName(std::u16string_view alias, TextEncodingNameStandard standard)
{
    UErrorCode status = U_ZERO_ERROR;
    const char* name = ucnv_getStandardName(toUTF8(alias).c_str(), standard == TextEncodingNameStandard::MIME ? "MIME" : "IANA", &status);
    if (U_FAILURE(status) || !name)
        return std::nullopt;
    return toUTF16(name);
}

std::optional<std::u16string> textEncodingConverterName(std::u16string_view alias)
{
    std::string name = toUTF8(alias);
    UErrorCode status = U_ZERO_ERROR;
    const char* converterName = ucnv_getCanonicalName(name.c_str(), "IANA", &status);
    if (U_FAILURE(status) || !converterName) {
        status = U_ZERO_ERROR;
        converterName = ucnv_getCanonicalName(name.c_str(), "", &status);
    }
    if (U_FAILURE(status) || !converterName)
        return std::nullopt;
    return toUTF16(converterName);
}

} // namespace brevanton
