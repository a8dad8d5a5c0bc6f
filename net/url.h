#pragma once
// URLs as the download takes them: scheme, host, port and request target.

#include <optional>
#include <string>

namespace net {

struct Url {
    std::string scheme;  // "http" or "https", lower case
    std::string host;    // as written (IPv6 without its brackets)
    int port = 0;        // the URL's port, or the scheme's default
    std::string path;    // "/..." or empty
    std::string query;   // without its "?"; empty when there is none
    bool has_query = false;

    // The request target: the path and the query, or "/" when both are empty.
    std::string Target() const;
    // The "Host" header value: the host, with ":port" unless the port is 80 or 443.
    std::string HostHeader() const;
    std::string ToString() const;
};

// Parses an absolute URL; one written without a scheme is taken as http.
// Throws EclSocketError for a URL that cannot be used.
Url ParseUrl(const std::string& text);

// Resolves a "Location" value against the URL it came with (RFC 3986, 5.2).
Url ResolveUrl(const Url& base, const std::string& reference);

}  // namespace net
