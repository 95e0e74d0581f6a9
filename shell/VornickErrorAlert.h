// Alerts built from errors. A user reads what went wrong and what to do in
// words: the error's description and, when it has one, its recovery
// suggestion; never a domain and a code. An error that carries no
// description of its own is described by its kind.
#pragma once

#include "platform/foundation/Error.h"

#include <memory>
#include <string>

namespace brevanton {

class Alert;

// The error's description for a user (its own, an underlying error's, or
// one of its kind), followed by its recovery suggestion when it has one.
std::u16string VornickUserDescriptionOfError(const Error&);

// An alert with the message, the error's description as its informative
// text and an OK button.
std::shared_ptr<Alert> VornickAlertForError(std::u16string messageText, const Error&);

} // namespace brevanton
