#include "app/VornickUserStyleSheet.h"

namespace brevanton {

std::shared_ptr<VornickUserStyleSheet> VornickUserStyleSheet::create(const URL& fileURL)
{
    return std::shared_ptr<VornickUserStyleSheet>(new VornickUserStyleSheet(fileURL));
}

} // namespace brevanton
