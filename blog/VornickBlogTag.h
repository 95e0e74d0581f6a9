// VornickBlogTag: a tag of a blog (entity "BlogTag"), with its service
// identifier, title and explanation (the service's description).
#pragma once

#include "platform/store/ManagedObject.h"

namespace brevanton {

class VornickBlogTag : public ManagedObject {
public:
    static constexpr std::u16string_view entityName = u"BlogTag";

    std::u16string identifierUsedByBlogService() const { return valueForKey(u"identifierUsedByBlogService").stringValue(); }
    std::u16string title() const { return valueForKey(u"title").stringValue(); }
    std::u16string explanation() const { return valueForKey(u"explanation").stringValue(); }
};

} // namespace brevanton
