#pragma once
// Undoing the content codings of a body (gzip, deflate) as it arrives, with
// zlib. A body is decoded fully or refused: a coding we cannot undo fails
// before anything is written.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace net {

using ByteSink = std::function<void(std::string_view)>;

class ContentDecoder {
public:
    virtual ~ContentDecoder() = default;
    // Decodes the next bytes of the body, handing the decoded bytes to the sink.
    virtual void Decode(std::string_view coded, const ByteSink& sink) = 0;
    // The body has ended; throws EclZLibError if the coded data was not complete.
    virtual void Finish() = 0;
};

// The decoders for a body's codings as listed by the reply ("identity" is
// skipped; "x-gzip" is gzip); the first to apply is the last listed. Throws
// EclZLibError for an unknown coding or more than five.
std::vector<std::unique_ptr<ContentDecoder>> DecodersFor(const std::vector<std::string>& codings);

// Runs the body through a chain of decoders, in order, into `sink`.
class DecodingPipeline {
public:
    DecodingPipeline(std::vector<std::unique_ptr<ContentDecoder>> decoders, ByteSink sink);
    void Write(std::string_view bytes);
    void Finish();

private:
    void WriteFrom(std::size_t stage, std::string_view bytes);

    std::vector<std::unique_ptr<ContentDecoder>> decoders_;
    ByteSink sink_;
};

}  // namespace net
