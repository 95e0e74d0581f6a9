// VornickTidyFilter: validation advisories and structural fixes from HTML
// Tidy, run as a separate process. Tidy is run with English messages,
// without the user's configuration (HTML_TIDY unset, HOME /dev/null, where
// no configuration file can be) and with a timeout, so its messages always
// parse and a hung run ends.
#pragma once

#include "toolkit/VornickErrors.h"

#include "html/VornickValidationAdvisory.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/URL.h"

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

enum class VornickTidyResultCode : int32_t {
    NoFindings = 0,
    Warnings = 1,
    Errors = 2,
    // Tidy could not run, crashed, timed out, ended with a status above 2 or
    // printed nothing that parsed.
    NotValidated = 3,
};

inline constexpr const char16_t* VornickAllowUserDefinedAttributesDefaultsKey = u"AllowUserDefinedAttributes";

class VornickTidyFilter {
public:
    VornickTidyFilter() = default;
    ~VornickTidyFilter();

    // The validated string, the result code and the advisories, on the main queue.
    using ValidationCompletion = std::function<void(const std::u16string&, VornickTidyResultCode, const std::vector<VornickValidationAdvisory>&)>;
    // Validates in the background; a new request cancels those still queued.
    void validateHTMLString(std::u16string htmlString, ValidationCompletion);
    // Cancels the queued validations and stops the running one (tidy ended
    // at once); none of them completes. Later requests run as ever.
    void stopValidation();
    // The same of a string shared rather than copied (a page's source may be megabytes long).
    void validateHTMLString(std::shared_ptr<const std::u16string> htmlString, ValidationCompletion);
    OperationQueue& validationQueue();

    // The validation run itself, on the calling thread.
    static VornickTidyResultCode validateHTMLStringNow(std::u16string_view htmlString, std::vector<VornickValidationAdvisory>& advisories);

    // A validation run of a text, kept so that it can stand for a later
    // validation of the same text: the text (UTF-8) and tidy's report.
    struct ValidationRun;
    // Runs tidy on the calling thread; never null. A stop requested of
    // `stop` ends the run at once (tidy stopped, the run not run to completion).
    // Given `repairedCopyPath`, the same run writes tidy's repair of the text
    // there (in UTF-8), its report the same as without.
    static std::shared_ptr<const ValidationRun> runValidation(std::string utf8Text,
                                                              std::stop_token stop = {},
                                                              const std::string* repairedCopyPath = nullptr);
    // The result of a run, its report read with the settings in force now.
    static VornickTidyResultCode resultOfValidationRun(const ValidationRun&, std::vector<VornickValidationAdvisory>& advisories);
    // A run's result as read once, with the AllowUserDefinedAttributes
    // setting it was read under.
    struct ValidationResult {
        VornickTidyResultCode code { VornickTidyResultCode::NotValidated };
        std::vector<VornickValidationAdvisory> advisories;
        bool allowedUserDefinedAttributes { false };
    };
    static ValidationResult readValidationRun(const ValidationRun&);
    // A run already made (the load's check of a file) answers the next
    // background validation when that is of exactly its text, without
    // running tidy again. The last few are kept until that request.
    void rememberValidationRun(std::shared_ptr<const ValidationRun>);
    // The same of a run already read, given the UTF-16 string whose UTF-8 is
    // the run's text: a request of that very string (the same object) takes
    // the result as read, without converting, comparing or reading again
    // (unless the setting it was read under changed since).
    void rememberValidationRun(std::shared_ptr<const ValidationRun>, ValidationResult, std::shared_ptr<const std::u16string> checkedString);

    // Tidies a file into another one, repairing structure only, in the
    // encoding the page reads the character set the file declares in
    // (VornickNoDeclaredCharacterEncodingError for none); the copy keeps the
    // file's own declarations as written, whatever name tidy gives the
    // encoding it writes. True when tidy ended with status 0 or 1. A stop requested
    // of `stop` ends the run at once, as a failure. `sourceBytes`, when
    // given, are the file's bytes as read already: the declaration is looked
    // for in them, not in the file.
    [[nodiscard]] static bool fixStructuralIssuesInHTMLFileAtURL(const URL& sourceFileURL, const URL& destinationFileURL,
                                                   VornickTidyResultCode* tidyResult,
                                                   std::vector<VornickValidationAdvisory>* warningsAndErrors, Error* outError,
                                                   std::stop_token stop = {},
                                                   std::optional<std::string_view> sourceBytes = std::nullopt);
    // What a run that wrote a repaired copy of a file made of it: true when
    // tidy ended with status 0 or 1 and the copy keeps the file's own
    // encoding declarations (put back as written); the result and the
    // advisories as fixStructuralIssuesInHTMLFileAtURL gives them.
    [[nodiscard]] static bool finishRepairOfRun(bool ranToCompletion, int status, const std::string& report,
                                                const std::string& sourcePath, std::optional<std::string_view> sourceBytes,
                                                const std::string& destinationPath, VornickTidyResultCode* tidyResult,
                                                std::vector<VornickValidationAdvisory>* warningsAndErrors, Error* outError);
    // Whether tidy, reading the file's bytes as they are in UTF-8, reads
    // them in the encoding the file declares (so that a validation run of
    // its text can write its repaired copy too).
    static bool readsBytesAsDeclared(std::string_view bytes, DocumentTextSyntax);

    // The encoding a page reads the character set it declares (`label`) in,
    // and so the one tidy reads and writes its file in: for HTML the web's
    // reading of the label (ISO-8859-1 and US-ASCII are windows-1252, a UTF-16
    // label in ASCII bytes is UTF-8); the label itself for XML and for a label
    // the web does not know.
    static std::u16string encodingOfDeclaredCharacterSet(std::u16string_view label, DocumentTextSyntax);
    // The tidy input option of an IANA character set name: "-utf8", "-latin1", ...
    // Error 20 for a name the platform does not know, 21 for one tidy cannot read.
    [[nodiscard]] static std::optional<std::string> tidyEncodingOptionForCharacterSetName(std::u16string_view name, Error* outError);

    // Tidies a string (the leading comments are kept in front of the result).
    [[nodiscard]] static std::optional<std::u16string> tidyHTMLString(std::u16string_view htmlString, bool returningBodyOnly,
                                                        std::u16string* standardErrorOutput, Error* outError);

    static std::vector<VornickValidationAdvisory> parseTidyStandardErrorOutput(std::u16string_view);
    static VornickTidyResultCode tidyResultCodeFromTidyTerminationStatus(int status);
    static std::u16string leadingCommentTextForHTMLString(std::u16string_view);

    // The UTF-16 offset in `text` of a tidy line and column: tidy counts
    // code points, and a tab advances its column to the next multiple of 8.
    static size_t offsetForTidyLineAndColumn(std::u16string_view text, int64_t line, int64_t column);

    // The tidy executable: the bundle's "tidy", else the one on PATH. Empty when none.
    static std::string tidyExecutablePath();
    static void setTidyExecutablePath(std::optional<std::string>);
    static std::chrono::milliseconds timeout();
    static void setTimeout(std::chrono::milliseconds);
    // The most bytes of tidy's output and of its report that are read; a
    // tidy writing a file (its report, a repaired copy) past it is ended.
    static constexpr size_t maximumOutputSize = size_t(64) << 20;
    // How much lower than the check's the priority of a repair made beside
    // it is (its thread's nice value raised by this, and so its tidy's).
    static constexpr int RepairThreadNiceIncrement = 10;
    // Runs `repair` on a thread of its own at that lower priority, and
    // answers what it makes (or throws) once it ended: a sound page never
    // uses its repair, and the check beside it, which every page waits for,
    // comes first. Every repair made beside a check starts here.
    template <typename Made>
    static std::shared_future<Made> startRepairThread(std::function<Made()> repair);
    // Where "AllowUserDefinedAttributes" is read; the standard user defaults unless set.
    static void setAllowUserDefinedAttributesProvider(std::function<bool()>);

    // The arguments shared by every run: English messages, and the HTML 5
    // elements tidy does not know declared, so they are no errors.
    static std::vector<std::string> commonArguments();
    // The options of a repair, which keep the user's content as written
    // (and hold back the messages of the changes they forbid). Validations
    // run with them too, so that one run's report serves both.
    static std::vector<std::string> repairOptions();

private:
    struct TidyRun;
    // Raises the calling thread's nice value by RepairThreadNiceIncrement
    // (tidy, started from it, inherits it).
    static void lowerRepairThreadPriority();
    [[nodiscard]] static std::optional<TidyRun> runTidy(const std::vector<std::string>& arguments, std::string standardInput, Error* outError,
                                                        std::stop_token stop = {});
    static std::vector<VornickValidationAdvisory> parseTidyStandardErrorOutput(std::u16string_view, size_t& recognisedLines,
                                                                               bool allowUserDefinedAttributes);
    static bool allowsUserDefinedAttributes();
    // Puts the source's encoding declarations back into tidy's copy (tidy
    // rewrites them to its own name for the encoding it writes).
    [[nodiscard]] static bool keepEncodingDeclarationsOfSource(const std::string& sourcePath, std::optional<std::string_view> sourceBytes,
                                                               const std::string& destinationPath, Error* outError);

    std::unique_ptr<OperationQueue> m_validationQueue;
    // Asked to stop the validations requested since the last stop.
    std::stop_source m_validationStop;
    struct RememberedRun {
        std::shared_ptr<const ValidationRun> run;
        std::optional<ValidationResult> result;
        std::shared_ptr<const std::u16string> checkedString;
    };
    std::vector<RememberedRun> m_rememberedRuns;
    // The last run the background validation made, which answers the next
    // request, once, when that is of the same text (the summary changed, not
    // the source).
    struct LastRun {
        std::mutex lock;
        std::shared_ptr<const ValidationRun> run;
    };
    std::shared_ptr<LastRun> m_lastRun { std::make_shared<LastRun>() };
};

template <typename Made>
std::shared_future<Made> VornickTidyFilter::startRepairThread(std::function<Made()> repair)
{
    // The last of the answer's futures to go waits for the thread's end, so
    // that what the repair made goes with it, never later on the thread.
    return std::async(std::launch::async, [repair = std::move(repair)] {
        lowerRepairThreadPriority();
        return repair();
    }).share();
}

struct VornickTidyFilter::ValidationRun {
    std::string text;
    // Tidy ran and ended by itself, with this status.
    bool ranToCompletion { false };
    // Tidy was stopped before it ended (the run's stop was set).
    bool stopped { false };
    int status { -1 };
    std::string report;
};

} // namespace brevanton
