// VornickExpressionEvaluator: the value of a snippet expression ("{name}")
// among the values an insertion gives, by name; an expression whose name
// has no value is empty text.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace brevanton {

class VornickExpressionEvaluator {
public:
    using Values = std::map<std::u16string, std::u16string>;

    // `expression` with or without its braces.
    std::u16string stringByEvaluatingExpression(std::u16string_view expression, const Values&) const;
};

} // namespace brevanton
