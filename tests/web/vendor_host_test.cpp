#include "web/vendor_host.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace talbex::web {
namespace {

TEST(VendorHost, AcceptsHostOrHostAndPortOnly) {
    EXPECT_EQ(ParseVendorHost("service.example"), "service.example");
    EXPECT_EQ(ParseVendorHost("127.0.0.1:8080"), "127.0.0.1:8080");
    EXPECT_EQ(ParseVendorHost("a-b.c:65535"), "a-b.c:65535");
    for (const char* bad :
         {"", ":80", "host:", "host:0", "host:65536", "host:8o", "host/path", "user@host",
          "http://host", "host name", "host:80:81", ".host", "-host", "host?x", "host#x"})
        EXPECT_FALSE(ParseVendorHost(bad)) << bad;
}

TEST(VendorHost, EnvironmentOverridesAndEmptyOrInvalidMeansNone) {
    setenv("TALBEX_VENDOR_HOST", "127.0.0.1:9", 1);
    EXPECT_EQ(VendorHost(), "127.0.0.1:9");
    setenv("TALBEX_VENDOR_HOST", "", 1);
    EXPECT_EQ(VendorHost(), "");
    setenv("TALBEX_VENDOR_HOST", "evil/path?", 1);
    EXPECT_EQ(VendorHost(), "");
    unsetenv("TALBEX_VENDOR_HOST");
    EXPECT_EQ(VendorHost(), ParseVendorHost(BuiltInVendorHost()).value_or(""));
}

TEST(VendorHost, AddressIsPlainHttpOnTheHost) {
    EXPECT_EQ(VendorAddress("h:81", "/cam/new_cam.php"), "http://h:81/cam/new_cam.php");
    EXPECT_EQ(VendorAddress("", "/cam/new_cam.php"), "");
}

}  // namespace
}  // namespace talbex::web
