#include "url.h"

#include <cctype>

#include "ascii_text.h"
#include "errors.h"

namespace net {

namespace {

int DefaultPort(const std::string& scheme) { return scheme == "https" ? 443 : 80; }

[[noreturn]] void Refuse(const std::string& url, const std::string& why) {
    throw EclSocketError("Invalid URL \"" + url + "\": " + why);
}

// The scheme of "scheme://...", if the text starts with one.
std::optional<std::string> SchemeOf(const std::string& text) {
    const std::size_t colon = text.find("://");
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    for (std::size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!(std::isalpha(c) || (i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.')))) return std::nullopt;
    }
    return ToLowerAscii(text.substr(0, colon));
}

// RFC 3986, 5.2.4.
std::string RemoveDotSegments(std::string input) {
    std::string output;
    while (!input.empty()) {
        if (input.rfind("../", 0) == 0) {
            input.erase(0, 3);
        } else if (input.rfind("./", 0) == 0) {
            input.erase(0, 2);
        } else if (input.rfind("/./", 0) == 0) {
            input.erase(0, 2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.rfind("/../", 0) == 0 || input == "/..") {
            input = input.size() == 3 ? "/" : input.substr(3);
            const std::size_t last = output.rfind('/');
            output.erase(last == std::string::npos ? 0 : last);
        } else if (input == "." || input == "..") {
            input.clear();
        } else {
            const std::size_t next = input.find('/', 1);
            output += input.substr(0, next);
            input.erase(0, next == std::string::npos ? input.size() : next);
        }
    }
    return output;
}

void SplitPathAndQuery(std::string rest, Url& url) {
    rest = rest.substr(0, rest.find('#'));  // a fragment is never sent
    const std::size_t question = rest.find('?');
    url.path = rest.substr(0, question);
    url.has_query = question != std::string::npos;
    url.query = url.has_query ? rest.substr(question + 1) : "";
}

}  // namespace

std::string Url::Target() const {
    std::string target = path.empty() ? "/" : path;
    if (has_query) target += "?" + query;
    return target;
}

std::string Url::HostHeader() const {
    const std::string name = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return port == 80 || port == 443 ? name : name + ":" + std::to_string(port);
}

std::string Url::ToString() const {
    const std::string name = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    const std::string authority = port == DefaultPort(scheme) ? name : name + ":" + std::to_string(port);
    return scheme + "://" + authority + Target();
}

Url ParseUrl(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) <= ' ') Refuse(text, "blanks and control characters are not allowed");
    }
    Url url;
    const auto scheme = SchemeOf(text);
    url.scheme = scheme.value_or("http");
    std::string rest = scheme ? text.substr(scheme->size() + 3) : text;
    if (url.scheme != "http" && url.scheme != "https") Refuse(text, "only http and https are supported");

    const std::size_t authority_end = rest.find_first_of("/?#");
    std::string authority = rest.substr(0, authority_end);
    SplitPathAndQuery(authority_end == std::string::npos ? "" : rest.substr(authority_end), url);

    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);  // credentials are never sent
    std::string port_text;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos) Refuse(text, "unclosed \"[\" in the host");
        url.host = authority.substr(1, close - 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':') Refuse(text, "unexpected text after the host");
            port_text = authority.substr(close + 2);
        }
    } else {
        const std::size_t colon = authority.find(':');
        url.host = authority.substr(0, colon);
        if (colon != std::string::npos) port_text = authority.substr(colon + 1);
    }
    if (url.host.empty()) Refuse(text, "no host");

    url.port = DefaultPort(url.scheme);
    if (!port_text.empty()) {
        if (port_text.size() > 5 || port_text.find_first_not_of("0123456789") != std::string::npos) {
            Refuse(text, "bad port");
        }
        url.port = std::stoi(port_text);
        if (url.port < 1 || url.port > 65535) Refuse(text, "bad port");
    }
    return url;
}

Url ResolveUrl(const Url& base, const std::string& reference) {
    if (SchemeOf(reference)) return ParseUrl(reference);
    if (reference.rfind("//", 0) == 0) return ParseUrl(base.scheme + ":" + reference);
    for (const char c : reference) {
        if (static_cast<unsigned char>(c) <= ' ') Refuse(reference, "blanks and control characters are not allowed");
    }

    Url resolved = base;
    Url relative;
    SplitPathAndQuery(reference, relative);
    if (relative.path.empty()) {
        if (relative.has_query) {
            resolved.query = relative.query;
            resolved.has_query = true;
        }
        return resolved;
    }
    if (relative.path.front() == '/') {
        resolved.path = RemoveDotSegments(relative.path);
    } else {
        const std::string base_path = base.path.empty() ? "/" : base.path;
        resolved.path = RemoveDotSegments(base_path.substr(0, base_path.rfind('/') + 1) + relative.path);
    }
    resolved.query = relative.query;
    resolved.has_query = relative.has_query;
    return resolved;
}

}  // namespace net
