// Reads arbitrary bytes as an XML-RPC reply: the parser must answer a value,
// a fault or nothing, never crash, hang or leak.
#include "wordpress/XMLRPCResponse.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    XMLRPCResponse response(std::string_view(reinterpret_cast<const char*>(data), size));
    if (response.isFault()) {
        (void)response.faultCode();
        (void)response.faultString();
    }
    (void)response.description();
    return 0;
}
