// VornickBlogCategory: a category of a blog (entity "BlogCategory"), in a
// tree through its parent category.
#pragma once

#include "platform/store/ManagedObject.h"

#include <memory>

namespace brevanton {

class VornickBlogCategory : public ManagedObject {
public:
    static constexpr std::u16string_view entityName = u"BlogCategory";

    std::u16string identifierUsedByBlogService() const { return valueForKey(u"identifierUsedByBlogService").stringValue(); }
    std::u16string title() const { return valueForKey(u"title").stringValue(); }
    std::u16string explanation() const { return valueForKey(u"explanation").stringValue(); }
    std::shared_ptr<VornickBlogCategory> parentCategory() const
    {
        return objectForKey<VornickBlogCategory>(u"parentCategory");
    }
    // The category the service files posts under when none is chosen.
    bool isUncategorizedCategory() const;
};

} // namespace brevanton
