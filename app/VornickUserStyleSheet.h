// VornickUserStyleSheet: a style sheet file of the user's own (any .css file
// that is not one of the application's built-in sheets). Documents link to
// it or carry a copy of it, marked with its path from the document.
#pragma once

#include "app/VornickStyleSheet.h"

namespace brevanton {

class VornickUserStyleSheet final : public VornickStyleSheet {
public:
    static std::shared_ptr<VornickUserStyleSheet> create(const URL& fileURL);

private:
    explicit VornickUserStyleSheet(URL fileURL) : VornickStyleSheet(std::move(fileURL)) {}
};

} // namespace brevanton
