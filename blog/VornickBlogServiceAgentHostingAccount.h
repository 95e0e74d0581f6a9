// VornickBlogServiceAgentHostingAccount: the stored hosting account as the
// agent reads it (its login and its keychain password).
#pragma once

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogServiceAgentAccount.h"

#include <memory>

namespace brevanton {

class VornickBlogServiceAgentHostingAccount : public VornickBlogServiceAgentAccount {
public:
    explicit VornickBlogServiceAgentHostingAccount(std::shared_ptr<VornickBlogHostingAccount> account) : m_account(std::move(account)) { }

    const std::shared_ptr<VornickBlogHostingAccount>& hostingAccount() const { return m_account; }
    std::u16string loginID() const override { return m_account ? m_account->loginID() : std::u16string(); }
    std::u16string password() const override { return m_account ? m_account->password().value_or(u"") : std::u16string(); }

private:
    std::shared_ptr<VornickBlogHostingAccount> m_account;
};

} // namespace brevanton
