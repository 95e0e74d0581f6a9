// A WordPress blog's post formats (entity "PostFormat") and post statuses
// (entity "PostStatus"): an identifier ("standard", "draft") and a title.
#pragma once

#include "platform/store/ManagedObject.h"

namespace brevanton {

class VornickWordPressPostFormat : public ManagedObject {
public:
    static constexpr std::u16string_view entityName = u"PostFormat";

    std::u16string identifier() const { return valueForKey(u"identifier").stringValue(); }
    std::u16string title() const { return valueForKey(u"title").stringValue(); }
};

class VornickWordPressPostStatus : public ManagedObject {
public:
    static constexpr std::u16string_view entityName = u"PostStatus";

    std::u16string identifier() const { return valueForKey(u"identifier").stringValue(); }
    std::u16string title() const { return valueForKey(u"title").stringValue(); }
};

} // namespace brevanton
