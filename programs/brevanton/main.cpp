// The brevanton executable. With a display it hands the files given to it to
// the window program beside it (brevanton-windows, the application shell on
// the Qt backend), which opens each in a window of its own and runs until the
// last window closed; this executable itself loads no window code, so a
// headless run starts quickly. With --headless, or when there is no display,
// it runs headless: it opens each file into a content editing view in a
// window, as the application does, reports what the system knows of it and
// how it loaded, and with --save writes it back through the editing view, as
// saving it in the editor does.
#include "BlogProjectRun.h"
#include "PostRun.h"

#include "app/VornickApplicationLaunch.h"
#include "app/VornickResourceLoadAttempt.h"
#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickSourceLoupe.h"
#include "editing/VornickEmbeddedWebView.h"
#include "dom/VornickWebFrameExtensions.h"
#include "toolkit/VornickDocumentFile.h"
#include "toolkit/VornickLineIndex.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLDocumentType.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickTidyFilter.h"
#include "html/VornickTidyValidationAhead.h"
#include "html/VornickValidationAdvisory.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/URLHandoff.h"
#include "platform/views/DisplayAvailability.h"
#include "platform/foundation/LoadedDocument.h"
#include "platform/web/WebDocumentParsedAhead.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickWebViewTemplatePageLoader.h"
#include "toolkit/VornickNewlineConvention.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <filesystem>

#include <unistd.h>

using namespace brevanton;

namespace {

constexpr size_t maximumAdvisoriesShown = 20;

void printUsage()
{
    std::printf("Usage: brevanton [--version] [--help] [--headless] [--save] FILE...\n"
                "       brevanton [--headless | --reindex | --sync [--type 3 | --type 5]] ACCOUNT-FOLDER\n"
                "       brevanton brvn://ADDRESS\n"
                "A brvn: address (the browser's answer to a sign-in) goes to the running\n"
                "Brevanton that waits for it.\n"
                "With the folder of a WordPress account project and a display, opens a window\n"
                "for each of its blogs, or, for an account without blogs yet, the window of its\n"
                "first sync (signing in with the account's stored details), and syncs it\n"
                "automatically every few minutes while open.\n"
                "With --headless, or without a display, indexes it, writes back what\n"
                "was not yet saved to its files and prints the account and, per blog, its\n"
                "counts; with --reindex, rebuilds the index from the files and prints every\n"
                "difference from the index it had; with --sync, syncs the account with its\n"
                "site once (sending the posts queued for upload in a session after it) and\n"
                "prints each session's steps as they ended and the sync log\n"
                "(--type 3: an exhaustive sync, with the site's options, formats and\n"
                "statuses, the whole media library and the post templates; --type 5: only\n"
                "the post templates).\n"
                "With a display, opens each HTML or XHTML file in a window of its own: the page\n"
                "beside the source it is saved as (Ctrl+S saves, Ctrl+Z undoes).\n"
                "With --headless or --save, or without a display, opens each file into an\n"
                "editing view, as the editor does, and\n"
                "reports what Brevanton knows of it: size, character encoding, document type,\n"
                "lines and line endings, the size of what saving writes (and whether it is the\n"
                "file as it is), how the page loaded (with the resources that failed), whether\n"
                "it shows the file or HTML Tidy's repaired copy (loaded only when the repair\n"
                "loses nothing of the page), its validation summary and the advisories HTML\n"
                "Tidy gives for its source.\n"
                "  --headless  report even when a display is there\n"
                "  --save   write each file back through the editing view (atomically, in its\n"
                "           own character encoding, frames included), as saving it in the\n"
                "           editor does;\n"
                "           only HTML and XHTML files are saved, never a write-protected\n"
                "           file or one changed by another program since it was read\n"
                "Only regular files of at most 64 MB are opened.\n");
}

const char* newlineName(VornickNewlineConvention convention)
{
    switch (convention) {
    case VornickNewlineConvention::LF: return "LF";
    case VornickNewlineConvention::CR: return "CR";
    case VornickNewlineConvention::CRLF: return "CRLF";
    default: return "none";
    }
}

const char* advisoryKindName(VornickValidationAdvisoryKind kind)
{
    switch (kind) {
    case VornickValidationAdvisoryKind::Warning: return "warning";
    case VornickValidationAdvisoryKind::Error: return "error";
    default: return "note";
    }
}

bool reportFailure(const std::string& path, const Error& error)
{
    std::fprintf(stderr, "brevanton: %s: %s\n", path.c_str(), toUTF8(error.localizedDescription()).c_str());
    return false;
}

const char* loadResultName(VornickContentLoadingState state)
{
    switch (state) {
    case VornickContentLoadingState::Succeeded: return "loaded";
    case VornickContentLoadingState::PartlyFailed: return "loaded, some resources failed";
    case VornickContentLoadingState::Failed: return "failed";
    default: return "not loaded";
    }
}

// What the report says of a file, whichever way it was read.
struct FileReport {
    size_t bytes { 0 };
    size_t sourceUnits { 0 };
    std::u16string encoding;
    bool byteOrderMark { false };
    VornickHTMLDocumentType documentType { VornickHTMLDocumentType::Unknown };
    bool parsedAsXML { false };
    std::shared_ptr<const VornickLineIndex> lineIndex; // none for an empty text
    size_t writtenBytes { 0 };
    bool writtenIsIdentical { false };
};

void printFileReport(const std::string& path, const FileReport& report)
{
    std::printf("%s\n", path.c_str());
    std::printf("  size:           %zu bytes, %zu UTF-16 units\n", report.bytes, report.sourceUnits);
    std::printf("  encoding:       %s%s\n", toUTF8(report.encoding).c_str(), report.byteOrderMark ? " with byte-order mark" : "");
    std::printf("  document type:  %s%s\n",
                report.documentType == VornickHTMLDocumentType::Unknown
                    ? "unknown"
                    : toUTF8(VornickHTMLDocumentTypeToPersistableString(report.documentType)).c_str(),
                report.parsedAsXML ? " (parsed as XML)" : "");
    std::printf("  lines:          %zu\n", report.lineIndex ? report.lineIndex->numberOfLines() : 0);
    std::printf("  line endings:   %s\n",
                newlineName(report.lineIndex ? report.lineIndex->newlineConvention() : VornickNewlineConvention::Unknown));
    std::printf("  written source: %zu bytes%s\n", report.writtenBytes, report.writtenIsIdentical ? " (identical to the file)" : "");
}

const char* tidyResultName(VornickTidyResultCode result)
{
    switch (result) {
    case VornickTidyResultCode::NoFindings: return "valid";
    case VornickTidyResultCode::Warnings: return "warnings";
    case VornickTidyResultCode::Errors: return "errors";
    case VornickTidyResultCode::NotValidated: break;
    }
    return "not validated";
}

const char* tidyResultName(VornickFrameValidationStatus status)
{
    switch (status) {
    case VornickFrameValidationStatus::Valid: return "valid";
    case VornickFrameValidationStatus::Warnings: return "warnings";
    case VornickFrameValidationStatus::Errors: return "errors";
    case VornickFrameValidationStatus::NotFinished: return "not validated (the check did not finish)";
    case VornickFrameValidationStatus::CouldNotRun: return "not validated (tidy could not run)";
    case VornickFrameValidationStatus::BeyondBudget: return "not validated (the page is beyond tidy's work budget)";
    case VornickFrameValidationStatus::Pending: break;
    }
    return "not validated";
}

void printTidyReport(const char* result, const std::vector<VornickValidationAdvisory>& advisories)
{
    std::printf("  tidy:           %s, %zu advisories\n", result, advisories.size());
    for (size_t i = 0; i < advisories.size() && i < maximumAdvisoriesShown; ++i) {
        const auto& advisory = advisories[i];
        std::printf("    line %lld column %lld: %s: %s%s\n", static_cast<long long>(advisory.line()),
                    static_cast<long long>(advisory.column()), advisoryKindName(advisory.kind()),
                    toUTF8(advisory.message()).c_str(), advisory.isStructuralIssue() ? " (structural)" : "");
    }
    if (advisories.size() > maximumAdvisoriesShown)
        std::printf("    ... and %zu more\n", advisories.size() - maximumAdvisoriesShown);
}

// Opens the file into a new editing view of the document window and answers
// the view, loaded or not.
std::shared_ptr<VornickContentEditingView> openInEditingView(const std::string& path, std::shared_ptr<LoadedDocument> document,
                                                             bool save, VornickWindow& window, bool& loaded, Error& error)
{
    auto view = VornickContentEditingView::create(window.contentView()->bounds());
    // The file was read once, here: the page and tidy's check take it.
    auto url = URL::fileURLWithPath(path);
    if (auto filePath = url.fileSystemPath(); filePath && *filePath == document->loadPath())
        view->embeddedWebView()->provideLoadedDocument(std::move(document));
    // Nothing here shows the source: it is indexed for the report, not
    // painted, and no source loupe follows it (copying and measuring a source
    // of many megabytes for a pane nobody sees would follow tidy's verdict).
    view->setPaintsLoadedSource(false);
    if (const auto& loupe = view->sourceLoupe())
        loupe->setActiveContentEditingView(nullptr);
    // A page to be saved is written while tidy checks its file.
    view->setPreparesWriteBack(save);
    window.setContentView(view);
    loaded = view->loadContentFromURL(url, &error);
    return view;
}

void printLoadReport(const VornickContentEditingView& view, bool loaded, const Error& error)
{
    std::printf("  load:           %s%s%s\n", loadResultName(view.loadingState()), loaded ? "" : ": ",
                loaded ? "" : toUTF8(error.localizedDescription()).c_str());
    for (const auto& attempt : view.failedResourceLoadAttempts()) {
        const char* reason = attempt->state() == VornickResourceLoadState::FailedForLackOfFileAccess ? "no access" : "failed";
        std::printf("  failed resource: %s (%s%s%s)\n", toUTF8(attempt->url().absoluteString()).c_str(), reason,
                    attempt->error() ? ": " : "", attempt->error() ? toUTF8(attempt->error()->localizedDescription()).c_str() : "");
    }
}

// Lets the view's deferred loading work that the report reads (the line
// index) and its validation (asked for when loading ended, tidy running in
// the background) finish. The painted source and its map are not waited for.
// The validation is waited for as long as tidy runs (its own timeout ends a
// run that hangs, and the page is then reported not validated, as one whose
// check did not finish).
void waitForValidation(VornickContentEditingView& view, const WebFrame& frame)
{
    // A page the load left not validated is not validated again unasked.
    bool validated = vornick_isValidationLeftUndone(vornick_validationStatus(frame));
    auto observation = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewValidationResultsForFocusedWebFrameDidChangeNotification, &view, nullptr,
        [&validated](const Notification&) { validated = true; });
    if (!RunLoop::main().runUntil([&] { return validated; }, VornickTidyFilter::timeout().count() / 1000.0 + 5)) {
        view.tidyFilter()->stopValidation();
        vornick_setValidationStatus(frame, VornickFrameValidationStatus::NotFinished);
    }
    // An empty source has no line index: its source jobs end at once.
    RunLoop::main().runUntil(
        [&] {
            return vornick_lineIndexForLastGeneratedHTMLString(frame)
                || vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(frame);
        },
        VornickTidyFilter::timeout().count() / 1000.0 + 5);
}

// A document the view shows: its load is the only decoding and parsing of
// the file, the report is read from the frame's state, and a save is the
// view's own write.
bool reportDocumentInView(const std::string& path, const std::string& bytes, bool save, VornickContentEditingView& view,
                          bool loaded, const Error& loadError)
{
    auto frame = view.mainFrame();
    auto document = view.mainFrameDocument();
    Error error;
    bool saved = false;
    // What was written (kept by the view) or would be, measured and compared
    // with the file in place, before the run loop turns again.
    size_t writtenBytes = 0;
    bool writtenIsIdentical = false;
    auto measureWritten = [&](const std::optional<std::string>& written) {
        writtenBytes = written ? written->size() : 0;
        writtenIsIdentical = written && *written == bytes;
    };
    if (save) {
        // Tidy validates in the background while the document is written.
        std::vector<Error> errors;
        saved = view.writeHTMLDocumentToURL(URL::fileURLWithPath(path), std::nullopt, true, &errors);
        if (!saved && !errors.empty())
            error = errors.front();
        for (size_t i = 1; i < errors.size(); ++i)
            reportFailure(path, errors[i]);
        if (saved)
            measureWritten(view.lastWrittenMainFrameData());
    } else {
        measureWritten(view.htmlWriterForWebFrame(*frame)->htmlDataFromDocument(*document));
    }
    waitForValidation(view, *frame);

    FileReport report;
    report.bytes = bytes.size();
    report.lineIndex = vornick_lineIndexForLastGeneratedHTMLString(*frame);
    report.sourceUnits = report.lineIndex ? report.lineIndex->string().size() : 0;
    report.encoding = document->characterSet();
    report.byteOrderMark = document->hasByteOrderMark();
    report.documentType = VornickDocumentTypeOfDocument(*document);
    report.parsedAsXML = !document->isHTMLDocument();
    report.writtenBytes = writtenBytes;
    // Whether saving leaves the file's bytes as they were.
    report.writtenIsIdentical = writtenIsIdentical;
    printFileReport(path, report);
    printLoadReport(view, loaded, loadError);
    if (vornick_isLoadedFromRepairedCopy(*frame))
        std::printf("  page text:      tidy's repaired copy\n");
    else if (auto loss = vornick_refusedRepairLoss(*frame))
        std::printf("  page text:      the file (tidy's repair was not loaded: %s)\n", loss->c_str());
    else
        std::printf("  page text:      the file\n");
    std::printf("  validation:     %s\n", toUTF8(view.tidyStatusSummaryForDisplayToUser()).c_str());
    printTidyReport(tidyResultName(vornick_validationStatus(*frame)),
                    vornick_validationAdvisoriesNotYetResolved(*frame).value_or(VornickValidationAdvisories {}));

    if (save) {
        if (!saved)
            return reportFailure(path, error);
        auto encoding = view.htmlWriterForWebFrame(*frame)->detectOutputStringEncodingForDocument(*document);
        std::printf("  saved:          %zu bytes in %s\n", report.writtenBytes, toUTF8(encoding).c_str());
    }
    return true;
}

// What no editing view shows (a style sheet or an image opened by name) is
// read as a document here, reported, and saved (or refused) as the file it is.
bool reportFileNoViewShows(const std::string& path, const LoadedDocument& loadedFile, VornickDocumentFile& file, bool save,
                           const VornickContentEditingView& view, bool loaded, const Error& loadError)
{
    Error error;
    const std::string& bytes = loadedFile.bytes();
    auto syntax = loadedFile.syntax();
    bool isXML = syntax == DocumentTextSyntax::XML;
    const auto& decoded = loadedFile.decoded();
    const auto& sourceText = loadedFile.source();
    auto urlString = URL::fileURLWithPath(path, false).absoluteString();
    auto document = DOMDocument::parseDecoded(decoded, syntax, urlString, &error);
    if (!document)
        return reportFailure(path, error);

    FileReport report;
    report.bytes = bytes.size();
    report.sourceUnits = sourceText->size();
    report.encoding = document->characterSet();
    report.byteOrderMark = document->hasByteOrderMark();
    report.documentType = VornickDocumentTypeOfDocument(*document);
    report.parsedAsXML = isXML;
    report.lineIndex = VornickLineIndex::createByIndexingString(sourceText, 1, 1, 4);

    auto formatting = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    std::shared_ptr<const VornickHTMLFormattingPreferences> preferences = formatting;
    if (!preferences)
        preferences = VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences();
    auto convention = report.lineIndex ? report.lineIndex->newlineConvention() : VornickNewlineConvention::LF;
    if (convention == VornickNewlineConvention::Unknown)
        convention = VornickNewlineConvention::LF;
    auto writer = VornickHTMLWriter::htmlWriterWithFormattingPreferences(*preferences, 0, convention);
    auto written = writer->htmlStringFromDocument(*document);
    auto data = writer->documentDataFromWrittenString(*document, written, &error);
    report.writtenBytes = data ? data->size() : 0;
    report.writtenIsIdentical = data && *data == bytes;
    bool saved = save && data && file.save(*data, &error);

    std::vector<VornickValidationAdvisory> advisories;
    auto result = VornickTidyFilter::validateHTMLStringNow(written, advisories);
    printFileReport(path, report);
    printLoadReport(view, loaded, loadError);
    printTidyReport(tidyResultName(result), advisories);
    if (save) {
        if (!saved)
            return reportFailure(path, error);
        std::printf("  saved:          %zu bytes in %s\n", data->size(), toUTF8(writer->outputEncodingName()).c_str());
    }
    return true;
}

// Whether the file is a page, which its load parses and checks with tidy: of an HTML or
// XML type, by its extension.
bool isCheckedPageType(const std::string& path)
{
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    for (const char* type : { "html", "htm", "shtml", "shtm", "xhtml", "xht", "xml" }) {
        if (extension == type)
            return true;
    }
    return false;
}

// A file as read for opening: only a regular file of a bounded size is
// opened, and reading it refuses the others with a clear error before the
// view sees it. The loaded document is all the view and tidy read of it.
struct ReadFile {
    VornickDocumentFile file;
    std::shared_ptr<LoadedDocument> document;
    Error error;
};

ReadFile readFileToOpen(const std::string& path)
{
    ReadFile read { VornickDocumentFile(path), nullptr, Error() };
    auto syntax = DOMDocument::isXMLPath(toUTF16(path)) ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML;
    read.document = read.file.load(syntax, &read.error);
    // The page's parse starts as soon as its bytes were read.
    if (read.document && isCheckedPageType(path))
        startParsingLoadedDocument(*read.document);
    return read;
}

// Tidy's check of the page, the longest part of opening it, starts on its
// text at once, while the program builds its window and view, and its
// repair beside it, which a broken page waits for.
void startCheckingAhead(const std::string& path, const ReadFile& read)
{
    if (read.document && isCheckedPageType(path)) {
        VornickStartTidyValidationAhead(*read.document);
        VornickStartTidyRepairAhead(*read.document);
    }
}

bool openFile(const std::string& path, ReadFile read, bool save, VornickWindow& window)
{
    if (!read.document)
        return reportFailure(path, read.error);
    auto& file = read.file;
    auto document = read.document;

    bool loaded = false;
    Error loadError;
    auto view = openInEditingView(path, document, save, window, loaded, loadError);
    auto frame = view->mainFrame();
    if (loaded && view->mainFrameDocument() && frame && vornick_hasLastGeneratedHTMLString(*frame))
        return reportDocumentInView(path, document->bytes(), save, *view, loaded, loadError);
    view->setPreparesWriteBack(false);
    return reportFileNoViewShows(path, *document, file, save, *view, loaded, loadError);
}

// The window program, beside this executable (or, for a link to it, beside
// the file the link names).
std::string windowProgramPath()
{
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "brevanton-windows";
    return (executable.parent_path() / "brevanton-windows").string();
}

// Address and leak sanitizer builds report what is still allocated at exit.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool builtToCheckLeaks = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
constexpr bool builtToCheckLeaks = true;
#else
constexpr bool builtToCheckLeaks = false;
#endif
#else
constexpr bool builtToCheckLeaks = false;
#endif

// Replaces this process with the window program, given the same arguments;
// returns only when that fails (1, with the reason on standard error).
int runWithWindows(char** argv)
{
    std::string program = windowProgramPath();
    argv[0] = program.data();
    execv(program.c_str(), argv);
    std::fprintf(stderr, "brevanton: the window program %s could not be started: %s\n", program.c_str(), std::strerror(errno));
    return 1;
}

bool hasURLSchemePrefix(std::string_view argument, std::string_view scheme)
{
    if (argument.size() < scheme.size())
        return false;
    for (size_t i = 0; i < scheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(argument[i])) != scheme[i])
            return false;
    }
    return true;
}

// The browser's answer to a sign-in, which the desktop opens this program
// with: it goes to the process whose sign-in waits for it. The address holds
// the sign-in's code, so it is never printed.
int handOffAddress(const std::string& address)
{
    switch (handOffURL(address)) {
    case URLHandoffResult::Taken:
        return 0;
    case URLHandoffResult::NotTaken:
        std::fprintf(stderr, "brevanton: no sign-in in progress took this address; sign in again from the account's window\n");
        return 1;
    case URLHandoffResult::NoListener:
        break;
    }
    std::fprintf(stderr, "brevanton: no Brevanton waits for a sign-in; sign in again from the account's window\n");
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    VornickTuneMemoryAllocation();
    // Templates fetched through drafts load in a web view.
    VornickWebViewTemplatePageLoader::install();
    bool save = false;
    bool headless = false;
    bool reindex = false;
    bool sync = false;
    // 2, a manual sync, unless --type says otherwise.
    int syncType = 2;
    bool syncTypeGiven = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("Brevanton %s\n", BREVANTON_VERSION);
            return 0;
        }
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            printUsage();
            return 0;
        }
        if (!std::strcmp(argv[i], "--save")) {
            save = true;
            continue;
        }
        if (!std::strcmp(argv[i], "--headless")) {
            headless = true;
            continue;
        }
        if (!std::strcmp(argv[i], "--reindex")) {
            reindex = true;
            continue;
        }
        if (!std::strcmp(argv[i], "--sync")) {
            sync = true;
            continue;
        }
        if (!std::strcmp(argv[i], "--type")) {
            if (i + 1 >= argc || (std::strcmp(argv[i + 1], "3") && std::strcmp(argv[i + 1], "5"))) {
                std::fprintf(stderr, "brevanton: --type takes 3 (exhaustive sync) or 5 (templates only)\n");
                return 2;
            }
            syncType = argv[++i][0] - '0';
            syncTypeGiven = true;
            continue;
        }
        paths.emplace_back(argv[i]);
    }
    if (paths.size() == 1 && argc == 2 && hasURLSchemePrefix(paths.front(), "brvn:"))
        return handOffAddress(paths.front());
    if (syncTypeGiven && !sync) {
        std::fprintf(stderr, "brevanton: --type goes with --sync\n");
        return 2;
    }
    if (sync) {
        if (paths.size() != 1 || reindex || save) {
            std::fprintf(stderr, "brevanton: --sync takes one account project folder and no other option\n");
            return 2;
        }
        if (std::getenv("BREVANTON_ANNOUNCE_MODE"))
            std::fprintf(stderr, "brevanton: running headless\n");
        return syncBlogProject(paths.front(), static_cast<VornickSyncSessionType>(syncType));
    }
    if (paths.size() == 1 && (reindex || isBlogProjectPath(paths.front()))) {
        // With a display the account opens in its windows, unless a report is asked for.
        if (!reindex && !headless && !save && displayAvailable()) {
            if (std::getenv("BREVANTON_ANNOUNCE_MODE"))
                std::fprintf(stderr, "brevanton: opening windows\n");
            return runWithWindows(argv);
        }
        if (std::getenv("BREVANTON_ANNOUNCE_MODE"))
            std::fprintf(stderr, "brevanton: running headless\n");
        return runBlogProject(paths.front(), reindex);
    }
    if (paths.size() == 1 && isWordPressPostPath(paths.front()) && (headless || save || !displayAvailable())) {
        if (std::getenv("BREVANTON_ANNOUNCE_MODE"))
            std::fprintf(stderr, "brevanton: running headless\n");
        return runWordPressPost(paths.front(), save);
    }
    if (paths.empty()) {
        printUsage();
        return 2;
    }

    // Saving from the command line is a headless job.
    bool windows = !headless && !save && displayAvailable();
    if (std::getenv("BREVANTON_ANNOUNCE_MODE"))
        std::fprintf(stderr, "brevanton: %s\n",
                     windows ? "opening windows" : headless || save ? "running headless" : "no display: running headless");
    if (windows)
        return runWithWindows(argv);

    std::optional<ReadFile> firstFile = readFileToOpen(paths.front());
    startCheckingAhead(paths.front(), *firstFile);
    VornickApplicationLaunch launch;

    // The window of the documents opened, one editing view at a time.
    auto window = VornickWindow::create(Rect(0, 0, 1024, 768));
    window->orderFront();
    int status = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        auto read = i == 0 && firstFile ? std::move(*firstFile) : readFileToOpen(paths[i]);
        if (!openFile(paths[i], std::move(read), save, *window))
            status = 1;
    }
    // The process ends next: the last document's nodes (millions, for a
    // large page) are left to the system rather than freed one by one, except
    // in a build that checks for leaks at exit, which frees them.
    if (!builtToCheckLeaks) {
        if (auto view = std::dynamic_pointer_cast<VornickContentEditingView>(window->contentView()))
            static_cast<void>(new std::shared_ptr<DOMDocument>(view->mainFrameDocument()));
    }
    // Nothing runs in the background once the views are gone.
    window->close();
    window.reset();
    // Painting the sources of closed views is of no use any more.
    VornickHTMLStringSyntaxPainterAndMapper::mappingQueue().cancelAllOperations();
    VornickHTMLStringSyntaxPainterAndMapper::mappingQueue().waitUntilAllOperationsAreFinished();
    // What was posted runs; nothing is waited for.
    for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
    }
    return status;
}
