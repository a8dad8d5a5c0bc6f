#pragma once
// Coded bodies for the tests, made with zlib.

#include <string>
#include <string_view>

namespace testing_support {

std::string RawDeflate(std::string_view data);
std::string ZlibDeflate(std::string_view data);

struct GzipOptions {
    bool extra = false, name = false, comment = false, header_crc = false;
    bool bad_crc = false, bad_size = false;
};
// One gzip member, with the optional header fields and faults asked for.
std::string Gzip(std::string_view data, GzipOptions options = {});

}  // namespace testing_support
