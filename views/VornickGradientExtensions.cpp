#include "views/VornickGradientExtensions.h"

#include "platform/foundation/Assertions.h"

#include <map>

namespace brevanton {

#define GRADIENT_ASSERT(condition, text) \
    BREVANTON_ASSERT(condition, "Invalid parameter not satisfying: " text " (Gradient+VornickExtensions)")

static std::map<std::u16string, std::shared_ptr<const Gradient>, std::less<>>& registeredGradients()
{
    static std::map<std::u16string, std::shared_ptr<const Gradient>, std::less<>> gradients;
    return gradients;
}

std::shared_ptr<const Gradient> vornick_errorGradient()
{
    static const auto gradient = std::make_shared<const Gradient>(Color::orange(), Color::sRGB(1, 0, 0));
    return gradient;
}

std::shared_ptr<const Gradient> vornick_registerGradientNamed(const std::u16string& name,
                                                              const std::optional<Color>& startingColor,
                                                              const std::optional<Color>& endingColor)
{
    GRADIENT_ASSERT(!name.empty(), "name");
    GRADIENT_ASSERT(startingColor.has_value(), "startingColor");
    GRADIENT_ASSERT(endingColor.has_value(), "endingColor");
    auto gradient = std::make_shared<const Gradient>(*startingColor, *endingColor);
    registeredGradients()[name] = gradient;
    return gradient;
}

std::shared_ptr<const Gradient> vornick_gradientNamed(const std::u16string& name)
{
    auto& gradients = registeredGradients();
    auto found = gradients.find(name);
    return found != gradients.end() ? found->second : vornick_errorGradient();
}

} // namespace brevanton
