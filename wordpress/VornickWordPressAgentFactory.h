// The agent that talks to a WordPress account's site by the account's
// effective protocol (REST or XML-RPC).
#pragma once

#include <memory>

namespace brevanton {

class VornickWordPressAccount;
class VornickWordPressAgent;

// A new agent for the account (REST or XML-RPC, as its protocol says), with
// the account set; null without an account.
std::shared_ptr<VornickWordPressAgent> vornickMakeWordPressAgentForAccount(const std::shared_ptr<VornickWordPressAccount>& account);

} // namespace brevanton
