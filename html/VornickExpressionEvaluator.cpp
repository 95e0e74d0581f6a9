#include "html/VornickExpressionEvaluator.h"

namespace brevanton {

std::u16string VornickExpressionEvaluator::stringByEvaluatingExpression(std::u16string_view expression, const Values& values) const
{
    if (expression.size() >= 2 && expression.front() == u'{' && expression.back() == u'}')
        expression = expression.substr(1, expression.size() - 2);
    auto found = values.find(std::u16string(expression));
    return found == values.end() ? std::u16string() : found->second;
}

} // namespace brevanton
