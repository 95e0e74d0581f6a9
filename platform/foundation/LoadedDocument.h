// A document file as it was read, once: its bytes and the stamp of the read,
// its text decoded once (the encoding and byte-order mark found with it), the
// text in UTF-16 as a page's source keeps it, and what was started on it
// before its load: the page's parse, tidy's check and repair. Whoever opens a file
// reads it into one (VornickDocumentFile::load) and hands it down to the web
// view (WebView::provideLoadedDocument); the load, tidy's check and the
// report take what they need from it instead of reading or decoding the file
// again. It is matched to a load by its file's URL, never by comparing contents.
//
// The decoded text and the UTF-16 text are made on first use, once, by
// whichever thread asks first; the others wait for it. The parse and the
// check and the repair are futures their starters set (platform/web's
// startParsingLoadedDocument, html's VornickStartTidyValidationAhead, whose
// run makes the repair too where it can, and VornickStartTidyRepairAhead);
// they may use the document until it is
// destroyed, which stops the check and the repair and waits for all three.
#pragma once

#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/URL.h"

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

namespace brevanton {

class DOMDocument;

class LoadedDocument {
public:
    static std::shared_ptr<LoadedDocument> create(std::string path, std::string bytes, FileStamp, DocumentTextSyntax);
    ~LoadedDocument();
    LoadedDocument(const LoadedDocument&) = delete;
    LoadedDocument& operator=(const LoadedDocument&) = delete;

    const std::string& path() const { return m_path; }
    // The file's URL and the absolute path a load of it knows it by.
    const URL& url() const { return m_url; }
    const std::string& loadPath() const { return m_loadPath; }
    const std::string& bytes() const { return m_bytes; }
    const FileStamp& stamp() const { return m_stamp; }
    DocumentTextSyntax syntax() const { return m_syntax; }

    // The bytes decoded (decodeDocumentText in the document's syntax, no
    // transport label).
    const DecodedDocumentText& decoded() const;
    const std::u16string& encoding() const { return decoded().encoding; }
    bool hasByteOrderMark() const { return decoded().byteOrderMark; }
    // The decoded text in UTF-16, shared with whoever keeps the source.
    const std::shared_ptr<const std::u16string>& source() const;
    // Whether `string` is that very text (the same object), without making
    // the text when nobody asked for it yet.
    bool isSource(const std::shared_ptr<const std::u16string>& string) const;

    // The page parsed from the decoded text ahead of its load: null when
    // nothing was parsed ahead or the text could not be parsed. The
    // document goes to the first who takes it (it becomes that frame's).
    using Parse = std::shared_future<std::shared_ptr<DOMDocument>>;
    void setParse(Parse);
    bool hasParse() const;
    std::shared_ptr<DOMDocument> takeParsedDocument();

    // Tidy's check of the decoded text started ahead, of the type its
    // starter knows; `stop` stops it. Its starter sets it as the run starts.
    using Check = std::shared_future<std::shared_ptr<const void>>;
    void setCheck(Check, std::stop_source stop);
    // The check when one was started (invalid otherwise), and what stops it.
    Check check() const;
    std::stop_source checkStop() const;
    // Tidy's repair of the file into a copy started ahead beside the check,
    // likewise.
    void setRepair(Check, std::stop_source stop);
    Check repair() const;
    std::stop_source repairStop() const;

private:
    LoadedDocument(std::string path, std::string bytes, FileStamp, DocumentTextSyntax);

    std::string m_path;
    URL m_url;
    std::string m_loadPath;
    std::string m_bytes;
    FileStamp m_stamp;
    DocumentTextSyntax m_syntax;

    mutable std::once_flag m_decodedOnce;
    mutable DecodedDocumentText m_decoded;
    mutable std::once_flag m_sourceOnce;
    mutable std::shared_ptr<const std::u16string> m_source;
    // Set once m_source is made.
    mutable std::atomic<bool> m_sourceMade { false };

    // Last, so that the work they wait for ends before what it reads goes.
    mutable std::mutex m_lock;
    Parse m_parse;
    Check m_check;
    std::stop_source m_checkStop { std::nostopstate };
    Check m_repair;
    std::stop_source m_repairStop { std::nostopstate };
};

} // namespace brevanton
