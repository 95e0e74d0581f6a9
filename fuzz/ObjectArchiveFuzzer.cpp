// Archive files (JSON or XML property lists, as blog, post and project files
// are written): any bytes read to an archive or fail, never crash; what an
// archive writes as JSON reads back. (The JSON writer leaves out empty lists
// and dictionaries below the top level, so the text itself may change.)
#include "toolkit/VornickObjectArchive.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Error error;
    auto archive = VornickObjectArchive::archiveWithData(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    if (!archive)
        return 0;
    auto json = archive->jsonDataReturningErrorIn(&error);
    if (!json)
        return 0;
    auto again = VornickObjectArchive::archiveWithData(*json, &error);
    if (!again)
        std::abort();
    if (!again->jsonDataReturningErrorIn(&error))
        std::abort();
    return 0;
}
