#include "wordpress/VornickWordPressAgentFactory.h"

#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"

namespace brevanton {

std::shared_ptr<VornickWordPressAgent> vornickMakeWordPressAgentForAccount(const std::shared_ptr<VornickWordPressAccount>&)
{
    return nullptr;
}

} // namespace brevanton
