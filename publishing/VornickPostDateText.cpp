#include "publishing/VornickPostDateText.h"

#include <memory>
#include <unicode/udat.h>

namespace brevanton {

std::u16string VornickLongDateAndTimeString(Date date)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UDateFormat, void (*)(UDateFormat*)> format(udat_open(UDAT_LONG, UDAT_LONG, nullptr, nullptr, 0, nullptr, 0, &status),
                                                                udat_close);
    if (U_FAILURE(status) || !format)
        return {};
    UDate milliseconds = date.timeIntervalSince1970() * 1000.0;
    std::u16string text(128, u'\0');
    status = U_ZERO_ERROR;
    int32_t length = udat_format(format.get(), milliseconds, reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), nullptr, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        text.assign(static_cast<size_t>(length) + 1, u'\0');
        status = U_ZERO_ERROR;
        length = udat_format(format.get(), milliseconds, reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), nullptr, &status);
    }
    if (U_FAILURE(status))
        return {};
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace brevanton
