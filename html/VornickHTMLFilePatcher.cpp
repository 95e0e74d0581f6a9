#include "html/VornickHTMLFilePatcher.h"

#include "html/VornickTextEncoding.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"

#include <fcntl.h>
#include <unistd.h>

namespace brevanton {

namespace {

bool writeFileInPlace(const std::string& path, std::string_view contents, Error* outError)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return setError(outError, Error::posix(errno, toUTF16(path)));
    size_t written = 0;
    while (written < contents.size()) {
        ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            return setError(outError, Error::posix(error, toUTF16(path)));
        }
        written += static_cast<size_t>(n);
    }
    if (::close(fd) != 0)
        return setError(outError, Error::posix(errno, toUTF16(path)));
    return true;
}

} // namespace

std::u16string VornickHTMLFilePatcher::baseElementText(const URL& baseURL)
{
    // The URL is an attribute value: "&" (a folder named "R&copy") and quotes are escaped.
    std::u16string href;
    for (char16_t c : baseURL.absoluteString()) {
        if (c == u'&')
            href += u"&amp;";
        else if (c == u'"')
            href += u"&quot;";
        else
            href += c;
    }
    return u"<base href=\"" + href + u"\">";
}

bool VornickHTMLFilePatcher::setBaseURL(const URL& baseURL, const URL& fileURL, bool* alreadyHadABaseElement, Error* outError)
{
    m_headStartOffset = VornickNotFound;
    m_baseStartOffset = VornickNotFound;
    m_rangeToReplace = { VornickNotFound, 0 };

    auto path = fileURL.fileSystemPath();
    if (!path)
        return setError(outError, Error(POSIXErrorDomain, EINVAL, u"Not a file URL."));
    auto bytes = readFile(*path, outError, FileReadKind::Document);
    if (!bytes)
        return false;
    // The declared label as the web reads it: "utf-16" in bytes read as ASCII is UTF-8.
    std::u16string encoding = declaredHTMLEncoding(*bytes);
    if (encoding.empty())
        encoding = u"UTF-8";
    auto text = VornickDecodeText(*bytes, encoding, outError);
    if (!text)
        return false;
    m_htmlString = std::move(*text);

    VornickHTMLScanner scanner;
    scanner.setIdentifiesEntityReferences(true);
    scanner.setDelegate(this);
    scanner.parseHTMLString(m_htmlString);

    if (alreadyHadABaseElement)
        *alreadyHadABaseElement = m_baseStartOffset != VornickNotFound;
    bool result = true;
    if (m_baseStartOffset == VornickNotFound && m_rangeToReplace.location != VornickNotFound) {
        std::u16string base = baseElementText(baseURL);
        m_htmlString.replace(m_rangeToReplace.location, m_rangeToReplace.length, base);
        auto encoded = encodeText(m_htmlString, encoding, outError);
        result = encoded && writeFileInPlace(*path, *encoded, outError);
    }
    m_htmlString.clear();
    m_htmlString.shrink_to_fit();
    return result;
}

void VornickHTMLFilePatcher::htmlScannerBeginElementAt(VornickHTMLScanner& scanner, size_t offset, std::u16string_view tagName)
{
    if (equalsIgnoringASCIICase(tagName, u"head") && m_headStartOffset == VornickNotFound)
        m_headStartOffset = offset;
    else if (equalsIgnoringASCIICase(tagName, u"base") && m_baseStartOffset == VornickNotFound) {
        m_baseStartOffset = offset;
        scanner.stopParsing();
    } else if (equalsIgnoringASCIICase(tagName, u"body") && m_rangeToReplace.location != VornickNotFound) {
        // The head ended without its end tag.
        scanner.stopParsing();
    }
}

void VornickHTMLFilePatcher::htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName,
                                                            size_t openTagStartedAt)
{
    if (equalsIgnoringASCIICase(tagName, u"head") && openTagStartedAt == m_headStartOffset)
        m_rangeToReplace = { offset, 0 };
}

void VornickHTMLFilePatcher::htmlScannerEndElementAt(VornickHTMLScanner& scanner, size_t offset, std::u16string_view tagName)
{
    if (!equalsIgnoringASCIICase(tagName, u"head") || m_headStartOffset == VornickNotFound)
        return;
    if (m_rangeToReplace.location == VornickNotFound) {
        size_t close = m_htmlString.find(u'>', m_headStartOffset);
        if (close != std::u16string::npos && close < offset)
            m_rangeToReplace = { close + 1, 0 };
    }
    scanner.stopParsing();
}

} // namespace brevanton
