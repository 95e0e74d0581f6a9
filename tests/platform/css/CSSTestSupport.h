// Helpers shared by the cascade tests: parse a page, read a computed value.
#pragma once

#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

namespace brevanton::csstest {

inline std::shared_ptr<DOMDocument> parse(std::string_view html, const std::u16string& url = {})
{
    return DOMDocument::parseHTML(toUTF16(html), url);
}

// The computed value of `property` for the element with `id`, as CSS text.
inline std::string value(const std::shared_ptr<DOMDocument>& document, std::u16string_view id,
                         std::u16string_view property)
{
    auto element = document->getElementById(id);
    EXPECT_TRUE(element) << toUTF8(id);
    if (!element)
        return {};
    return toUTF8(getComputedStyle(*element)->getPropertyValue(property));
}

} // namespace brevanton::csstest
