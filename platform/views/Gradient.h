// Gradient: a linear blend between a starting and an ending colour.
#pragma once

#include "platform/foundation/Color.h"

namespace brevanton {

class Gradient {
public:
    Gradient(Color startingColor, Color endingColor) : m_startingColor(startingColor), m_endingColor(endingColor) {}

    const Color& startingColor() const { return m_startingColor; }
    const Color& endingColor() const { return m_endingColor; }

    friend bool operator==(const Gradient&, const Gradient&) = default;

private:
    Color m_startingColor;
    Color m_endingColor;
};

} // namespace brevanton
