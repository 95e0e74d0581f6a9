#include "platform/views/HelpManager.h"

#include "platform/foundation/Bundle.h"

namespace brevanton {

namespace {

bool isPlainAnchor(const std::u16string& anchor)
{
    if (anchor.empty())
        return false;
    for (char16_t character : anchor) {
        bool plain = (character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z')
            || (character >= u'0' && character <= u'9') || character == u'-' || character == u'_';
        if (!plain)
            return false;
    }
    return true;
}

bool isPlainBookName(const std::u16string& book)
{
    return !book.empty() && book.front() != u'.' && book.find(u'/') == std::u16string::npos && book.find(u'\0') == std::u16string::npos;
}

} // namespace

HelpManager& HelpManager::shared()
{
    static HelpManager manager;
    return manager;
}

std::optional<URL> HelpManager::pageForHelpAnchor(const std::u16string& anchor, const std::u16string& book)
{
    m_requests.push_back({ anchor, book });
    if (!isPlainAnchor(anchor) || !isPlainBookName(book))
        return std::nullopt;
    return Bundle::main().URLForResource(anchor, u"html", book);
}

} // namespace brevanton
