// Starting tidy's validation of a text before anybody asks for it: the
// command-line save starts it on the file's text as soon as it has read the
// file, before it builds its window and editing view, so that tidy, the
// slowest part of a save, starts at once.
#pragma once

#include <functional>
#include <string>

namespace brevanton {

// Runs VornickTidyFilter::runValidation on a thread of its own, of the UTF-8
// text `makeText` gives there (an empty text runs nothing). The next
// runValidation of the process waits for that run and takes it when it is
// of the same text; otherwise it runs tidy itself, as ever.
void VornickStartTidyValidationAhead(std::function<std::string()> makeText);
// Waits for a run started ahead that nobody took, so that it does not
// outlive the process's own state.
void VornickFinishTidyValidationAhead();

} // namespace brevanton
