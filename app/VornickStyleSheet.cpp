#include "app/VornickStyleSheet.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickBundledStyleSheet.h"
#include "app/VornickStyleSheetReference.h"
#include "app/VornickUserStyleSheet.h"
#include "dom/VornickDocumentResourceReferences.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickURLExtensions.h"

namespace brevanton {

namespace {

bool isHTMLSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

std::u16string_view trimmed(std::u16string_view text)
{
    while (!text.empty() && isHTMLSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isHTMLSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::shared_ptr<VornickBundledStyleSheet>> knownBundledStyleSheets()
{
    if (auto delegate = VornickApplicationDelegate::shared(); delegate && !delegate->bundledStyleSheets().empty())
        return delegate->bundledStyleSheets();
    return VornickBundledStyleSheet::loadBundledStyleSheets(Bundle::main());
}

// The sheet at a local file URL: the built-in one when it is that file.
std::shared_ptr<VornickStyleSheet> styleSheetAtFileURL(const URL& url)
{
    auto path = url.isFileURL() ? url.fileSystemPath() : std::nullopt;
    bool directory = false;
    if (!path || !fileExists(*path, &directory) || directory)
        return nullptr;
    for (const auto& sheet : knownBundledStyleSheets()) {
        if (vornick_pointsToSameFileAsURL(sheet->fileURL(), url))
            return sheet;
    }
    return VornickUserStyleSheet::create(url);
}

} // namespace

std::shared_ptr<VornickStyleSheet> VornickStyleSheet::create(const URL& fileURL)
{
    return std::shared_ptr<VornickStyleSheet>(new VornickStyleSheet(fileURL));
}

std::u16string VornickStyleSheet::title() const
{
    return m_fileURL.URLByDeletingPathExtension().lastPathComponent();
}

std::optional<std::u16string> VornickStyleSheet::contents() const
{
    auto path = m_fileURL.fileSystemPath();
    if (!path)
        return std::nullopt;
    auto bytes = readFile(*path, nullptr, FileReadKind::StyleSheet);
    if (!bytes)
        return std::nullopt;
    return toUTF16(*bytes);
}

std::optional<std::u16string> VornickStyleSheet::versionStringForBundledStyleSheetContents(std::u16string_view contents)
{
    auto text = contents;
    while (!text.empty() && (isHTMLSpace(text.front()) || text.front() == u'\uFEFF'))
        text.remove_prefix(1);
    if (!text.starts_with(u"/*"))
        return std::nullopt;
    auto commentEnd = text.find(u"*/", 2);
    auto comment = text.substr(2, commentEnd == std::u16string_view::npos ? std::u16string_view::npos : commentEnd - 2);
    auto label = comment.find(u"Version:");
    if (label == std::u16string_view::npos)
        return std::nullopt;
    auto rest = comment.substr(label + 8);
    rest = rest.substr(0, rest.find_first_of(u"\r\n"));
    auto version = trimmed(rest);
    if (version.empty())
        return std::nullopt;
    return std::u16string(version);
}

std::shared_ptr<VornickStyleSheet> VornickStyleSheet::styleSheetForStyleSheetReference(
    const VornickStyleSheetReference& reference, const DOMDocument& document)
{
    switch (reference.kind()) {
    case VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy:
        for (const auto& sheet : knownBundledStyleSheets()) {
            if (sheet->title() == reference.name())
                return sheet;
        }
        return nullptr;
    case VornickStyleSheetReferenceKind::LinkElement:
    case VornickStyleSheetReferenceKind::EmbeddedUserStyleSheetCopy: {
        auto url = vornick_resolveResourceFileReference(document, reference.relativeURLString());
        return url ? styleSheetAtFileURL(*url) : nullptr;
    }
    }
    return nullptr;
}

bool VornickStyleSheet::isEqual(const VornickStyleSheet& other) const
{
    return this == &other || m_fileURL.absoluteString() == other.m_fileURL.absoluteString()
        || vornick_pointsToSameFileAsURL(m_fileURL, other.m_fileURL);
}

} // namespace brevanton
