// Error: a failure a user can cause, in a named domain with a code and a
// dictionary of further information. Returned through an Error* out-parameter.
#pragma once

#include "platform/foundation/Value.h"

#include <string>

namespace brevanton {

class Error {
public:
    Error() = default;
    Error(std::string domain, int64_t code, Dictionary userInfo = {})
        : m_domain(std::move(domain)), m_code(code), m_userInfo(std::move(userInfo)) {}
    Error(std::string domain, int64_t code, std::u16string localizedDescription);

    const std::string& domain() const { return m_domain; }
    int64_t code() const { return m_code; }
    const Dictionary& userInfo() const { return m_userInfo; }
    Dictionary& userInfo() { return m_userInfo; }

    // The description under LocalizedDescriptionKey, or a generic one naming domain and code.
    std::u16string localizedDescription() const;
    const Error* underlyingError() const { return m_underlying.get(); }
    void setUnderlyingError(const Error& error) { m_underlying = std::make_shared<Error>(error); }

    bool is(std::string_view domain, int64_t code) const { return m_domain == domain && m_code == code; }
    bool isEmpty() const { return m_domain.empty(); }

    // An error of the POSIX domain from errno, naming the operation and path.
    static Error posix(int errorNumber, std::u16string_view description = {});

    static constexpr const char16_t* LocalizedDescriptionKey = u"LocalizedDescription";
    static constexpr const char16_t* LocalizedFailureReasonKey = u"LocalizedFailureReason";
    static constexpr const char16_t* LocalizedRecoverySuggestionKey = u"LocalizedRecoverySuggestion";
    static constexpr const char16_t* FilePathKey = u"FilePath";
    static constexpr const char16_t* URLKey = u"URL";

private:
    std::string m_domain;
    int64_t m_code { 0 };
    Dictionary m_userInfo;
    std::shared_ptr<Error> m_underlying;
};

// Error domains of the platform layer.
inline constexpr const char* POSIXErrorDomain = "POSIXErrorDomain";
inline constexpr const char* CocoaErrorDomain = "FoundationErrorDomain";
inline constexpr const char* URLErrorDomain = "URLErrorDomain";

// Stores `error` in `*out` when `out` is not null; returns false, so that
// `return setError(outError, ...);` ends a failing bool operation.
inline bool setError(Error* out, Error error)
{
    if (out)
        *out = std::move(error);
    return false;
}

std::ostream& operator<<(std::ostream&, const Error&);

} // namespace brevanton
