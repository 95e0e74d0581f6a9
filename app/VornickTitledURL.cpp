#include "app/VornickTitledURL.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/RunLoop.h"

namespace brevanton {

VornickTitledURL::VornickTitledURL(URL url_, std::optional<std::u16string> title_, std::optional<Date> dateGathered_)
    : url(std::move(url_))
    , title(std::move(title_))
    , dateGathered(dateGathered_ ? *dateGathered_ : RunLoop::main().now())
{
}

std::optional<VornickTitledURL> VornickTitledURL::createWithPropertyList(const Value& propertyList)
{
    if (!propertyList.isDictionary())
        return std::nullopt;
    const Value* urlString = propertyList.find(u"URL");
    if (!urlString || !urlString->isString())
        return std::nullopt;
    auto url = URL::create(urlString->string());
    if (!url)
        return std::nullopt;
    std::optional<std::u16string> title;
    if (const Value* value = propertyList.find(u"title"); value && value->isString())
        title = value->string();
    std::optional<Date> date;
    if (const Value* value = propertyList.find(u"dateGathered"); value && value->isDate())
        date = value->date();
    return VornickTitledURL(std::move(*url), std::move(title), date);
}

Value VornickTitledURL::propertyList() const
{
    Dictionary dictionary;
    if (!url.absoluteString().empty())
        dictionary[u"URL"] = url.absoluteString();
    if (title)
        dictionary[u"title"] = *title;
    dictionary[u"dateGathered"] = dateGathered;
    return dictionary;
}

const std::vector<std::u16string>& VornickTitledURL::pasteboardTypesWithoutTitle()
{
    static const std::vector<std::u16string> types { PasteboardTypeURL, PasteboardTypeString };
    return types;
}

const std::vector<std::u16string>& VornickTitledURL::pasteboardTypesWithTitle()
{
    static const std::vector<std::u16string> types { PasteboardTypeURL, PasteboardTypeURLName, PasteboardTypeString };
    return types;
}

std::vector<std::u16string> VornickTitledURL::writableTypesForPasteboard(const Pasteboard&) const
{
    if (url.absoluteString().empty())
        return {};
    return title ? pasteboardTypesWithTitle() : pasteboardTypesWithoutTitle();
}

std::optional<Value> VornickTitledURL::pasteboardPropertyListForType(std::u16string_view type) const
{
    if (type == PasteboardTypeURL || type == PasteboardTypeString)
        return Value(url.absoluteString());
    if (type == PasteboardTypeURLName && title)
        return Value(*title);
    return std::nullopt;
}

std::u16string VornickTitledURL::description() const
{
    std::u16string text = u"VornickTitledURL {URL=" + url.absoluteString() + u", title=";
    text += title ? u"\"" + *title + u"\"" : std::u16string(u"nil");
    text += u", dateGathered=" + formatDate(dateGathered, u"yyyy-MM-dd HH:mm:ss Z", u"UTC") + u"}";
    return text;
}

} // namespace brevanton
