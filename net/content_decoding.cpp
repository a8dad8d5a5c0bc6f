#include "content_decoding.h"

#include <zlib.h>

#include <array>
#include <cstdint>

#include "errors.h"

namespace net {

namespace {

constexpr std::size_t kMaxCodings = 5;

// A raw or zlib-wrapped deflate stream through zlib's inflate.
class Inflater {
public:
    explicit Inflater(int window_bits) {
        if (inflateInit2(&stream_, window_bits) != Z_OK) throw EclZLibError("cannot initialise the decoder");
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool Ended() const { return ended_; }

    // Inflates as much of `coded` as belongs to the stream; returns how many
    // bytes that was (the rest follows the end of the stream).
    std::size_t Inflate(std::string_view coded, const ByteSink& sink) {
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(coded.data()));
        stream_.avail_in = static_cast<uInt>(coded.size());
        std::array<char, 64 * 1024> out;
        while (!ended_ && (stream_.avail_in > 0 || pending_output_)) {
            stream_.next_out = reinterpret_cast<Bytef*>(out.data());
            stream_.avail_out = static_cast<uInt>(out.size());
            const int result = inflate(&stream_, Z_NO_FLUSH);
            const std::size_t produced = out.size() - stream_.avail_out;
            pending_output_ = stream_.avail_out == 0;
            if (result == Z_STREAM_END) {
                ended_ = true;
            } else if (result == Z_BUF_ERROR) {
                break;  // needs more input
            } else if (result != Z_OK) {
                throw EclZLibError(stream_.msg ? stream_.msg : "invalid compressed data");
            }
            if (produced > 0) sink(std::string_view(out.data(), produced));
        }
        return coded.size() - stream_.avail_in;
    }

private:
    z_stream stream_{};
    bool ended_ = false;
    bool pending_output_ = false;
};

// A gzip body (RFC 1952): one or more members, each a header with its
// optional fields, the deflate data, then CRC-32 and length of the decoded
// bytes, both checked. Members are decoded one after the other, as gzip does.
class GzipDecoder : public ContentDecoder {
public:
    void Decode(std::string_view coded, const ByteSink& sink) override {
        while (!coded.empty()) {
            if (!member_ || member_->Complete()) member_ = std::make_unique<Member>();
            coded.remove_prefix(member_->Decode(coded, sink));
        }
    }

    void Finish() override {
        if (!member_ || !member_->Complete()) throw EclZLibError("unexpected end of compressed data");
    }

private:
    class Member {
    public:
        bool Complete() const { return trailer_.size() == 8; }

        // Decodes what belongs to this member; returns how many bytes that was.
        std::size_t Decode(std::string_view coded, const ByteSink& sink) {
            std::size_t used = 0;
            while (used < coded.size() && !Complete()) {
                const std::string_view rest = coded.substr(used);
                if (!header_done_) {
                    header_ += rest.front();
                    ++used;
                    header_done_ = HeaderComplete();
                } else if (!inflater_.Ended()) {
                    used += inflater_.Inflate(rest, [&](std::string_view decoded) {
                        crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(decoded.data()),
                                     static_cast<uInt>(decoded.size()));
                        size_ += decoded.size();
                        sink(decoded);
                    });
                } else {
                    const std::size_t taken = std::min(rest.size(), 8 - trailer_.size());
                    trailer_.append(rest.substr(0, taken));
                    used += taken;
                    if (Complete()) CheckTrailer();
                }
            }
            return used;
        }

    private:
        static std::uint32_t Little32(const std::string& bytes, std::size_t at) {
            std::uint32_t value = 0;
            for (std::size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
            return value;
        }

        void CheckTrailer() const {
            if (Little32(trailer_, 0) != crc_) throw EclZLibError("invalid crc");
            if (Little32(trailer_, 4) != static_cast<std::uint32_t>(size_)) throw EclZLibError("invalid data size");
        }

        bool HeaderComplete() const {
            constexpr unsigned char kHeaderCrc = 2, kExtra = 4, kName = 8, kComment = 16;
            const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(header_[i]); };
            if (header_.size() < 10) {
                if (header_.size() == 1 && byte(0) != 0x1F) throw EclZLibError("incorrect header check");
                if (header_.size() == 2 && byte(1) != 0x8B) throw EclZLibError("incorrect header check");
                if (header_.size() == 3 && byte(2) != 8) throw EclZLibError("unknown compression method");
                if (header_.size() == 4 && (byte(3) & 0xE0)) throw EclZLibError("unknown header flags set");
                return false;
            }
            const unsigned char flags = byte(3);
            std::size_t at = 10;
            if (flags & kExtra) {
                if (header_.size() < at + 2) return false;
                at += 2 + (byte(at) | static_cast<std::size_t>(byte(at + 1)) << 8);
                if (header_.size() < at) return false;
            }
            for (const unsigned char field : {kName, kComment}) {
                if (!(flags & field)) continue;
                const std::size_t zero = header_.find('\0', at);
                if (zero == std::string::npos) return false;
                at = zero + 1;
            }
            if (flags & kHeaderCrc) {
                if (header_.size() < at + 2) return false;
                at += 2;
            }
            return header_.size() == at;
        }

        std::string header_;
        bool header_done_ = false;
        Inflater inflater_{-MAX_WBITS};
        uLong crc_ = crc32(0, nullptr, 0);
        std::uint64_t size_ = 0;
        std::string trailer_;
    };

    std::unique_ptr<Member> member_;
};

// "deflate": zlib-wrapped as the standard says, or raw as some servers send it.
class DeflateDecoder : public ContentDecoder {
public:
    void Decode(std::string_view coded, const ByteSink& sink) override {
        if (inflater_) {
            if (!inflater_->Ended()) inflater_->Inflate(coded, sink);
            return;
        }
        // The first two bytes tell a zlib header from raw deflate data.
        start_.append(coded);
        if (start_.size() < 2) return;
        const unsigned first = static_cast<unsigned char>(start_[0]);
        const unsigned second = static_cast<unsigned char>(start_[1]);
        const bool wrapped = (first & 0x0F) == Z_DEFLATED && (first * 256 + second) % 31 == 0;
        inflater_ = std::make_unique<Inflater>(wrapped ? MAX_WBITS : -MAX_WBITS);
        const std::string start = std::move(start_);
        inflater_->Inflate(start, sink);
    }

    void Finish() override {
        if (!inflater_ || !inflater_->Ended()) throw EclZLibError("unexpected end of compressed data");
    }

private:
    std::string start_;
    std::unique_ptr<Inflater> inflater_;
};

}  // namespace

std::vector<std::unique_ptr<ContentDecoder>> DecodersFor(const std::vector<std::string>& codings) {
    std::vector<std::unique_ptr<ContentDecoder>> decoders;
    for (auto it = codings.rbegin(); it != codings.rend(); ++it) {
        if (*it == "identity") continue;
        if (decoders.size() == kMaxCodings) throw EclZLibError("too many content codings");
        if (*it == "gzip" || *it == "x-gzip") {
            decoders.push_back(std::make_unique<GzipDecoder>());
        } else if (*it == "deflate") {
            decoders.push_back(std::make_unique<DeflateDecoder>());
        } else {
            throw EclZLibError("unsupported content coding \"" + *it + "\"");
        }
    }
    return decoders;
}

DecodingPipeline::DecodingPipeline(std::vector<std::unique_ptr<ContentDecoder>> decoders, ByteSink sink)
    : decoders_(std::move(decoders)), sink_(std::move(sink)) {}

void DecodingPipeline::Write(std::string_view bytes) { WriteFrom(0, bytes); }

void DecodingPipeline::WriteFrom(std::size_t stage, std::string_view bytes) {
    if (stage == decoders_.size()) {
        sink_(bytes);
        return;
    }
    decoders_[stage]->Decode(bytes, [&](std::string_view decoded) { WriteFrom(stage + 1, decoded); });
}

void DecodingPipeline::Finish() {
    // Decoders hand on their output as they go: all that is left is to check
    // that each coded stream ended where it should.
    for (const auto& decoder : decoders_) decoder->Finish();
}

}  // namespace net
