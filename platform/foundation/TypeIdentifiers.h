// Uniform type identifiers: a small table of our own ("public.html",
// "public.image", ...) with file name extensions, MIME types and conformance
// (each type conforms to its parents, transitively), completed from
// /etc/mime.types when that file exists. A type that the table does not know
// gets a dynamic identifier beginning with "dyn.", which conforms to nothing
// but itself and "public.data"/"public.item" when it comes from an extension.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

namespace TypeIdentifier {
inline constexpr const char16_t* Item = u"public.item";
inline constexpr const char16_t* Content = u"public.content";
inline constexpr const char16_t* Data = u"public.data";
inline constexpr const char16_t* Folder = u"public.folder";
inline constexpr const char16_t* Directory = u"public.directory";
inline constexpr const char16_t* Text = u"public.text";
inline constexpr const char16_t* PlainText = u"public.plain-text";
inline constexpr const char16_t* UTF8PlainText = u"public.utf8-plain-text";
inline constexpr const char16_t* HTML = u"public.html";
inline constexpr const char16_t* XHTML = u"public.xhtml";
inline constexpr const char16_t* XML = u"public.xml";
inline constexpr const char16_t* CSS = u"public.css";
inline constexpr const char16_t* JavaScript = u"com.netscape.javascript-source";
inline constexpr const char16_t* JSON = u"public.json";
inline constexpr const char16_t* Image = u"public.image";
inline constexpr const char16_t* PNG = u"public.png";
inline constexpr const char16_t* JPEG = u"public.jpeg";
inline constexpr const char16_t* TIFF = u"public.tiff";
inline constexpr const char16_t* GIF = u"com.compuserve.gif";
inline constexpr const char16_t* SVG = u"public.svg-image";
inline constexpr const char16_t* WebP = u"org.webmproject.webp";
inline constexpr const char16_t* Movie = u"public.movie";
inline constexpr const char16_t* Audio = u"public.audio";
inline constexpr const char16_t* PDF = u"com.adobe.pdf";
} // namespace TypeIdentifier

// The identifier for a file name extension (case ignored, without "."):
// "html" -> "public.html"; an unknown extension -> a "dyn." identifier.
std::u16string typeIdentifierForFilenameExtension(std::u16string_view extension);
// The identifier for a MIME type (parameters and case ignored).
std::u16string typeIdentifierForMIMEType(std::u16string_view mimeType);

// nullopt for unknown and dynamic identifiers.
std::optional<std::u16string> preferredMIMETypeForTypeIdentifier(std::u16string_view identifier);
std::optional<std::u16string> preferredFilenameExtensionForTypeIdentifier(std::u16string_view identifier);
std::vector<std::u16string> filenameExtensionsForTypeIdentifier(std::u16string_view identifier);

// Whether `identifier` is `parent` or conforms to it through the table's
// parent relation.
bool typeIdentifierConformsTo(std::u16string_view identifier, std::u16string_view parent);
bool isDynamicTypeIdentifier(std::u16string_view identifier);
bool isKnownTypeIdentifier(std::u16string_view identifier);

} // namespace brevanton
