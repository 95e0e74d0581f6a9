#include "wordpress/VornickWordPressAgentFactory.h"

#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressRESTAgent.h"
#include "wordpress/VornickWordPressXMLRPCAgent.h"

namespace brevanton {

std::shared_ptr<VornickWordPressAgent> vornickMakeWordPressAgentForAccount(const std::shared_ptr<VornickWordPressAccount>& account)
{
    if (!account)
        return nullptr;
    std::shared_ptr<VornickWordPressAgent> agent;
    switch (account->effectiveProtocolType()) {
    case VornickWordPressProtocolType::REST:
        agent = std::make_shared<VornickWordPressRESTAgent>();
        break;
    case VornickWordPressProtocolType::XMLRPC:
        agent = VornickWordPressXMLRPCAgent::create();
        break;
    }
    if (agent)
        agent->setAccount(std::make_shared<VornickBlogServiceAgentHostingAccount>(account));
    return agent;
}

} // namespace brevanton
