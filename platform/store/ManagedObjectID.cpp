#include "platform/store/ManagedObjectID.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <string>

namespace brevanton {

std::u16string ManagedObjectID::URIString() const
{
    return std::u16string(ManagedObjectURIScheme) + u"://" + m_storeIdentifier + u"/" + m_entityName + u"/p"
        + toUTF16(std::to_string(m_number));
}

URL ManagedObjectID::URIRepresentation() const
{
    auto url = URL::create(URIString());
    BREVANTON_ASSERT(url.has_value(), "An object URI does not parse: " + toUTF8(URIString()));
    return *url;
}

} // namespace brevanton
