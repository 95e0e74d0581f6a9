#include "platform/foundation/Error.h"

#include "platform/foundation/Text.h"

#include <cstring>
#include <ostream>

namespace brevanton {

Error::Error(std::string domain, int64_t code, std::u16string localizedDescription)
    : m_domain(std::move(domain)), m_code(code)
{
    m_userInfo[LocalizedDescriptionKey] = Value(std::move(localizedDescription));
}

std::u16string Error::localizedDescription() const
{
    auto it = m_userInfo.find(std::u16string_view(LocalizedDescriptionKey));
    if (it != m_userInfo.end() && it->second.isString())
        return it->second.string();
    if (m_domain == POSIXErrorDomain)
        return toUTF16(std::strerror(static_cast<int>(m_code)));
    return toUTF16("The operation couldn\u2019t be completed. (" + m_domain + " error "
                   + std::to_string(m_code) + ".)");
}

Error Error::posix(int errorNumber, std::u16string_view description)
{
    std::u16string text = toUTF16(std::strerror(errorNumber));
    if (!description.empty())
        text = std::u16string(description) + u": " + text;
    return Error(POSIXErrorDomain, errorNumber, std::move(text));
}

std::ostream& operator<<(std::ostream& stream, const Error& error)
{
    return stream << error.domain() << " " << error.code() << ": " << toUTF8(error.localizedDescription());
}

} // namespace brevanton
