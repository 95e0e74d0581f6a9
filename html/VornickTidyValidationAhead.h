// Starting tidy's validation of a document's text before anybody asks for
// it: the command-line save starts it on the file's text as soon as it has
// read the file, before it builds its window and editing view, so that tidy,
// the slowest part of a save, starts at once. The loaded document keeps the
// run; the load's check takes it from there. Tidy's repair of the file,
// which a broken page waits for, is written by the same run when tidy reads
// the file's bytes as they are (UTF-8 declared, and the text is the bytes):
// one tidy run per load. Otherwise it starts ahead beside the check, in the
// background (a sound page never uses it, and the check comes first).
#pragma once

#include "html/VornickTidyFilter.h"

#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

namespace brevanton {

class LoadedDocument;

// Runs VornickTidyFilter::runValidation of the document's decoded text on a
// thread of its own (nothing for an empty text, or one with a byte-order
// mark, which tidy never reads as the page does). When the run can write
// the file's repaired copy too, it does, and that is the document's repair.
void VornickStartTidyValidationAhead(LoadedDocument&);
// The run started ahead on the document, once it ended: null when none was
// started or it ran nothing. A stop requested of `stop` while it runs stops
// it at once (passed on as it is requested, not looked for).
std::shared_ptr<const VornickTidyFilter::ValidationRun> VornickTidyValidationAheadOf(const LoadedDocument&,
                                                                                     std::stop_token stop);

// Runs VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL of the
// document's file into a temporary copy on a thread of its own (nothing for
// a text with a byte-order mark), unless the check started ahead makes the
// repair. The copy goes with the document unless the repair was taken.
void VornickStartTidyRepairAhead(LoadedDocument&);
struct VornickTidyRepairAhead {
    // Removed by whoever takes it.
    std::optional<URL> copy;
    bool succeeded { false };
    VornickTidyResultCode result { VornickTidyResultCode::NotValidated };
    std::vector<VornickValidationAdvisory> advisories;
};
// The repair started ahead on the document, once it ended: none when none
// was started, it ran nothing or it was taken already. A stop requested of
// `stop` while it runs stops it at once.
std::optional<VornickTidyRepairAhead> VornickTakeTidyRepairAhead(const LoadedDocument&, std::stop_token stop);

} // namespace brevanton
