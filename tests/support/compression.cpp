#include "compression.h"

#include <zlib.h>

#include <stdexcept>

namespace testing_support {

namespace {

std::string Deflate(std::string_view data, int window_bits) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, window_bits, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2");
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void Little32(std::string& out, unsigned long value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string RawDeflate(std::string_view data) { return Deflate(data, -MAX_WBITS); }

std::string ZlibDeflate(std::string_view data) { return Deflate(data, MAX_WBITS); }

std::string Gzip(std::string_view data, GzipOptions options) {
    std::string out = "\x1F\x8B\x08";
    out += static_cast<char>((options.header_crc ? 2 : 0) | (options.extra ? 4 : 0) | (options.name ? 8 : 0) |
                             (options.comment ? 16 : 0));
    out += std::string("\0\0\0\0\0\x03", 6);  // no time, no extra flags, Unix
    if (options.extra) out += std::string("\x05\0ab\0cd", 7);
    if (options.name) out += std::string("file.exe\0", 9);
    if (options.comment) out += std::string("a comment\0", 10);
    if (options.header_crc) {
        const unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size()));
        out += static_cast<char>(crc & 0xFF);
        out += static_cast<char>((crc >> 8) & 0xFF);
    }
    out += RawDeflate(data);
    const unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    Little32(out, options.bad_crc ? crc ^ 1 : crc);
    Little32(out, static_cast<unsigned long>(data.size()) + (options.bad_size ? 1 : 0));
    return out;
}

}  // namespace testing_support
