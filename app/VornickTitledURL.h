// VornickTitledURL: a URL the user copied, with the title that came with it.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/URL.h"

#include <optional>
#include <string>

namespace brevanton {

struct VornickTitledURL {
    URL url;
    std::optional<std::u16string> title;
    Date dateGathered;
};

} // namespace brevanton
