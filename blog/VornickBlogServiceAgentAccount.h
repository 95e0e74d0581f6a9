// VornickBlogServiceAgentAccount: what an agent reads of the hosting account
// it talks for. The blog model's hosting account implements it.
#pragma once

#include <string>

namespace brevanton {

class VornickBlogServiceAgentAccount {
public:
    virtual ~VornickBlogServiceAgentAccount() = default;

    virtual std::u16string loginID() const = 0;
    // Read from the keychain; empty when none is stored.
    virtual std::u16string password() const = 0;
};

} // namespace brevanton
