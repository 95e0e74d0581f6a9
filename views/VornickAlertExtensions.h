// A ready-made alert.
#pragma once

#include "platform/views/Alert.h"

#include <optional>
#include <string>

namespace brevanton {

// An alert with the message text (when given), a button for each title that
// is given, in the order default, alternate, other (answering the first,
// second and third button returns in the order they were added), and the
// informative text.
std::shared_ptr<Alert> vornick_alertWithMessageText(const std::optional<std::u16string>& messageText,
                                                    const std::optional<std::u16string>& defaultButton,
                                                    const std::optional<std::u16string>& alternateButton,
                                                    const std::optional<std::u16string>& otherButton,
                                                    const std::u16string& informativeText);

} // namespace brevanton
