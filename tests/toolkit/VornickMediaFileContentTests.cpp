#include "toolkit/VornickMediaFileContent.h"

#include <gtest/gtest.h>

#include <string>

namespace brevanton {
namespace {

TEST(VornickMediaFileContent, PicturesSoundsAndFilmsAreToldByTheirFirstBytesAndTextIsNone)
{
    using Kind = VornickMediaContentKind;
    struct Case {
        std::string bytes;
        Kind kind;
    };
    const std::string padding(20, '\0');
    for (const Case& sample : {
             Case { "\x89PNG\r\n\x1a\n" + padding, Kind::Image },
             Case { "\xff\xd8\xff\xe0" + padding, Kind::Image },
             Case { "GIF89a" + padding, Kind::Image },
             Case { std::string("RIFF\0\0\0\0WEBPVP8 ", 16), Kind::Image },
             Case { std::string("II*\0", 4) + padding, Kind::Image },
             Case { std::string("BM\x36\0\0\0\0\0\0\0\x36\0\0\0", 14), Kind::Image },
             Case { std::string("\0\0\0\x1c" "ftypavif", 12), Kind::Image },
             Case { std::string("\0\0\0\x18" "ftypheic", 12), Kind::Image },
             Case { "ID3\x04" + padding, Kind::Audio },
             Case { "\xff\xfb\x90\x64" + padding, Kind::Audio },
             Case { "\xff\xf1\x50\x80" + padding, Kind::Audio },
             Case { "OggS" + padding, Kind::Audio },
             Case { "fLaC" + padding, Kind::Audio },
             Case { std::string("RIFF\0\0\0\0WAVEfmt ", 16), Kind::Audio },
             Case { std::string("\0\0\0\x20" "ftypM4A ", 12), Kind::Audio },
             Case { std::string("\0\0\0\x20" "ftypisom", 12), Kind::Video },
             Case { std::string("\0\0\0\x14" "ftypqt  ", 12), Kind::Video },
             Case { std::string("\0\0\0\x08" "wide", 8), Kind::Video },
             Case { "\x1a\x45\xdf\xa3" + padding, Kind::Video },
             Case { std::string("RIFF\0\0\0\0AVI LIST", 16), Kind::Video },
             // Text, scripts, archives and what is too short to tell.
             Case { "BMW drivers' notes, not a bitmap", Kind::None },
             Case { "<svg xmlns=\"http://www.w3.org/2000/svg\"/>", Kind::None },
             Case { "<!DOCTYPE html><html>", Kind::None },
             Case { "PK\x03\x04" + padding, Kind::None },
             Case { "%PDF-1.7" + padding, Kind::None },
             Case { std::string("RIFF\0\0\0\0ACON", 12), Kind::None },
             Case { "\xff", Kind::None },
             Case { "", Kind::None },
             Case { "\xff\xe0 text after a byte that is no frame", Kind::None },
         }) {
        EXPECT_EQ(vornick_mediaContentKindOfPrefix(sample.bytes), sample.kind) << sample.bytes;
    }
}

} // namespace
} // namespace brevanton
