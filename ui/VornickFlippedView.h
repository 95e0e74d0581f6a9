// VornickFlippedView: a plain view whose y axis points down from its top edge.
#pragma once

#include "platform/views/View.h"

namespace brevanton {

class VornickFlippedView : public View {
public:
    using View::View;
    bool isFlipped() const override { return true; }
};

} // namespace brevanton
