#include "url.h"

#include <gtest/gtest.h>

#include "errors.h"

namespace {

struct ParseCase {
    const char* text;
    std::string scheme, host;
    int port;
    std::string target, host_header;
};

class ParseUrlTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseUrlTest, TakesTheUrlApart) {
    const net::Url url = net::ParseUrl(GetParam().text);
    EXPECT_EQ(url.scheme, GetParam().scheme);
    EXPECT_EQ(url.host, GetParam().host);
    EXPECT_EQ(url.port, GetParam().port);
    EXPECT_EQ(url.Target(), GetParam().target);
    EXPECT_EQ(url.HostHeader(), GetParam().host_header);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, ParseUrlTest,
    testing::Values(ParseCase{"http://example.com/a/b.exe", "http", "example.com", 80, "/a/b.exe", "example.com"},
                    ParseCase{"example.com/a.exe", "http", "example.com", 80, "/a.exe", "example.com"},
                    ParseCase{"example.com:8080/a.exe", "http", "example.com", 8080, "/a.exe", "example.com:8080"},
                    ParseCase{"HTTPS://Example.com", "https", "Example.com", 443, "/", "Example.com"},
                    ParseCase{"http://h:443/x", "http", "h", 443, "/x", "h"},
                    ParseCase{"https://h:80/x", "https", "h", 80, "/x", "h"},
                    ParseCase{"http://h", "http", "h", 80, "/", "h"},
                    ParseCase{"http://h?q=1", "http", "h", 80, "/?q=1", "h"},
                    ParseCase{"http://h/p?q=1&r=%20#frag", "http", "h", 80, "/p?q=1&r=%20", "h"},
                    ParseCase{"http://user:secret@h:81/p", "http", "h", 81, "/p", "h:81"},
                    ParseCase{"http://[::1]:8080/p", "http", "::1", 8080, "/p", "[::1]:8080"},
                    ParseCase{"http://h/\xC7\xD1.exe", "http", "h", 80, "/\xC7\xD1.exe", "h"}));

TEST(ParseUrl, RefusesWhatCannotBeFetched) {
    for (const char* text : {"ftp://h/file", "file:///etc/passwd", "http://", "http://h:0/", "http://h:65536/",
                             "http://h:8x/", "http://h/a b", "http://[::1/"}) {
        EXPECT_THROW(net::ParseUrl(text), net::EclSocketError) << text;
    }
}

struct ResolveCase {
    const char* reference;
    const char* resolved;
};

class ResolveUrlTest : public testing::TestWithParam<ResolveCase> {};

// The examples of RFC 3986, 5.4, against http://a/b/c/d;p?q.
TEST_P(ResolveUrlTest, FollowsTheStandard) {
    const net::Url base = net::ParseUrl("http://a/b/c/d;p?q");
    EXPECT_EQ(net::ResolveUrl(base, GetParam().reference).ToString(), GetParam().resolved);
}

INSTANTIATE_TEST_SUITE_P(Rfc3986, ResolveUrlTest,
                         testing::Values(ResolveCase{"g", "http://a/b/c/g"}, ResolveCase{"./g", "http://a/b/c/g"},
                                         ResolveCase{"g/", "http://a/b/c/g/"}, ResolveCase{"/g", "http://a/g"},
                                         ResolveCase{"//g", "http://g/"}, ResolveCase{"?y", "http://a/b/c/d;p?y"},
                                         ResolveCase{"g?y", "http://a/b/c/g?y"}, ResolveCase{"#s", "http://a/b/c/d;p?q"},
                                         ResolveCase{"", "http://a/b/c/d;p?q"}, ResolveCase{".", "http://a/b/c/"},
                                         ResolveCase{"..", "http://a/b/"}, ResolveCase{"../g", "http://a/b/g"},
                                         ResolveCase{"../../../g", "http://a/g"}, ResolveCase{"/./g", "http://a/g"},
                                         ResolveCase{"g/../h", "http://a/b/c/h"},
                                         ResolveCase{"https://other:8443/x", "https://other:8443/x"},
                                         ResolveCase{"http://a:80/same", "http://a/same"}));

}  // namespace
