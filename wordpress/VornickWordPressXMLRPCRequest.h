// VornickWordPressXMLRPCRequest: an XML-RPC call of the WordPress agent, with
// the blocks that take its outcome: the response of a success, or the error
// of a failure.
#pragma once

#include "platform/foundation/Error.h"
#include "wordpress/XMLRPCRequest.h"
#include "wordpress/XMLRPCResponse.h"

#include <functional>

namespace brevanton {

class VornickWordPressXMLRPCRequest final : public XMLRPCRequest {
public:
    using SuccessBlock = std::function<void(VornickWordPressXMLRPCRequest&, const XMLRPCResponse&)>;
    using FailureBlock = std::function<void(VornickWordPressXMLRPCRequest&, const Error&)>;

    using XMLRPCRequest::XMLRPCRequest;

    void setSuccessBlock(SuccessBlock block) { m_successBlock = std::move(block); }
    void setFailureBlock(FailureBlock block) { m_failureBlock = std::move(block); }
    // Each does nothing when its block is not set.
    void invokeSuccessBlockWithResponse(const XMLRPCResponse& response)
    {
        if (m_successBlock)
            m_successBlock(*this, response);
    }
    void invokeFailureBlockWithError(const Error& error)
    {
        if (m_failureBlock)
            m_failureBlock(*this, error);
    }

private:
    SuccessBlock m_successBlock;
    FailureBlock m_failureBlock;
};

} // namespace brevanton
