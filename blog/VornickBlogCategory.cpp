#include "blog/VornickBlogCategory.h"

#include "platform/foundation/Text.h"

namespace brevanton {

bool VornickBlogCategory::isUncategorizedCategory() const
{
    return compareIgnoringCase(title(), u"Uncategorized") == 0;
}

} // namespace brevanton
