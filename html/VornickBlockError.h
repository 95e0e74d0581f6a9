// VornickBlockError: an error in a document's block structure, paired with
// the exact selection of the block it concerns.
#pragma once

#include "html/VornickExactSelection.h"
#include "platform/foundation/Error.h"

#include <string>

namespace brevanton {

class VornickBlockError {
public:
    VornickBlockError(Error error, VornickExactSelection exactSelection)
        : m_error(std::move(error)), m_exactSelection(std::move(exactSelection)) {}
    static VornickBlockError blockError(Error error, VornickExactSelection exactSelection)
    {
        return VornickBlockError(std::move(error), std::move(exactSelection));
    }

    const Error& error() const { return m_error; }
    const VornickExactSelection& exactSelection() const { return m_exactSelection; }
    // "<selection description>: <error description>".
    std::u16string description() const { return m_exactSelection.description() + u": " + m_error.localizedDescription(); }

private:
    Error m_error;
    VornickExactSelection m_exactSelection;
};

} // namespace brevanton
