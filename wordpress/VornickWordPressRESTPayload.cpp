#include "wordpress/VornickWordPressRESTPayload.h"

#include "toolkit/VornickURLExtensions.h"

namespace brevanton {

VornickWordPressFileAttachmentPayload::VornickWordPressFileAttachmentPayload(URL fileURL)
    : m_url(std::move(fileURL))
    , m_mimeType(vornick_MIMEType(m_url).value_or(u"application/octet-stream"))
{
}

} // namespace brevanton
