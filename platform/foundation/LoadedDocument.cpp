#include "platform/foundation/LoadedDocument.h"

#include "platform/foundation/Text.h"

#include <utility>

namespace brevanton {

std::shared_ptr<LoadedDocument> LoadedDocument::create(std::string path, std::string bytes, FileStamp stamp,
                                                       DocumentTextSyntax syntax)
{
    return std::shared_ptr<LoadedDocument>(new LoadedDocument(std::move(path), std::move(bytes), stamp, syntax));
}

LoadedDocument::LoadedDocument(std::string path, std::string bytes, FileStamp stamp, DocumentTextSyntax syntax)
    : m_path(std::move(path))
    , m_url(URL::fileURLWithPath(m_path))
    , m_loadPath(m_url.fileSystemPath().value_or(m_path))
    , m_bytes(std::move(bytes))
    , m_stamp(stamp)
    , m_syntax(syntax)
{
}

LoadedDocument::~LoadedDocument()
{
    // A check or repair nobody took ends soon; the futures wait for them.
    m_checkStop.request_stop();
    m_repairStop.request_stop();
    if (m_check.valid())
        m_check.wait();
    if (m_repair.valid())
        m_repair.wait();
    if (m_parse.valid())
        m_parse.wait();
}

const DecodedDocumentText& LoadedDocument::decoded() const
{
    std::call_once(m_decodedOnce, [this] { m_decoded = decodeDocumentText(m_bytes, m_syntax); });
    return m_decoded;
}

const std::shared_ptr<const std::u16string>& LoadedDocument::source() const
{
    std::call_once(m_sourceOnce, [this] {
        m_source = std::make_shared<const std::u16string>(toUTF16(decoded().utf8));
        m_sourceMade.store(true, std::memory_order_release);
    });
    return m_source;
}

bool LoadedDocument::isSource(const std::shared_ptr<const std::u16string>& string) const
{
    return string && m_sourceMade.load(std::memory_order_acquire) && m_source == string;
}

void LoadedDocument::setParse(Parse parse)
{
    std::lock_guard lock(m_lock);
    m_parse = std::move(parse);
}

bool LoadedDocument::hasParse() const
{
    std::lock_guard lock(m_lock);
    return m_parse.valid();
}

std::shared_ptr<DOMDocument> LoadedDocument::takeParsedDocument()
{
    Parse parse;
    {
        std::lock_guard lock(m_lock);
        parse = std::exchange(m_parse, {});
    }
    // Nothing keeps the document once its taker lets it go.
    return parse.valid() ? parse.get() : nullptr;
}

void LoadedDocument::setCheck(Check check, std::stop_source stop)
{
    std::lock_guard lock(m_lock);
    m_check = std::move(check);
    m_checkStop = std::move(stop);
}

LoadedDocument::Check LoadedDocument::check() const
{
    std::lock_guard lock(m_lock);
    return m_check;
}

std::stop_source LoadedDocument::checkStop() const
{
    std::lock_guard lock(m_lock);
    return m_checkStop;
}

void LoadedDocument::setRepair(Check repair, std::stop_source stop)
{
    std::lock_guard lock(m_lock);
    m_repair = std::move(repair);
    m_repairStop = std::move(stop);
}

LoadedDocument::Check LoadedDocument::repair() const
{
    std::lock_guard lock(m_lock);
    return m_repair;
}

std::stop_source LoadedDocument::repairStop() const
{
    std::lock_guard lock(m_lock);
    return m_repairStop;
}

} // namespace brevanton
