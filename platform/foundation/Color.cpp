#include "platform/foundation/Color.h"

#include <fmt/format.h>

namespace brevanton {

std::string Color::description() const
{
    if (m_space == Space::GenericGamma22Gray)
        return fmt::format("Gray {:g} {:g}", m_components[0], m_alpha);
    return fmt::format("sRGB {:g} {:g} {:g} {:g}", m_components[0], m_components[1], m_components[2], m_alpha);
}

} // namespace brevanton
