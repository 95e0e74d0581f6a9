// Printing: there is no print engine here. A print info holds nothing, and
// no print operation is ever made: whoever asks for one gets null.
#pragma once

namespace brevanton {

struct PrintInfo {};

class PrintOperation {
public:
    virtual ~PrintOperation() = default;
};

} // namespace brevanton
