#include "platform/connect_guard.h"
#include "platform/host_lookup.h"
#include "platform/message.h"
#include "platform/socket_error.h"
#include "platform/window.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestovan {
namespace {

TEST(HostLookup, LocalhostCompletesOnItsOwnMessageWithTheLoopbackAddress)
{
    Window window;
    std::vector<Message> seen;
    window.set_handler([&](const Message& m) {
        seen.push_back(m);
        return true;
    });
    LookupHandle handle = async_get_host_by_name(window, 30011, "localhost");
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(test::wait_until([&] { return !seen.empty(); }));
    EXPECT_EQ(seen[0].id, 30011u);
    EXPECT_EQ(seen[0].wparam, handle);
    EXPECT_EQ(async_error(seen[0]), 0);
    EXPECT_EQ(lookup_first_address(handle), "127.0.0.1");
    release_lookup(handle);
    EXPECT_FALSE(lookup_first_address(handle));
}

TEST(HostLookup, ACancelledLookupPostsNothing)
{
    Window window;
    int seen = 0;
    window.set_handler([&](const Message&) { return ++seen, true; });
    LookupHandle handle = async_get_host_by_name(window, 30012, "localhost");
    cancel_lookup(handle);
    test::wait_until([] { return false; }, 300);
    EXPECT_EQ(seen, 0);
}

TEST(HostLookup, TheGuardAnswersForeignNamesWithHostNotFoundWithoutResolving)
{
    Window window;
    std::vector<Message> seen;
    window.set_handler([&](const Message& m) {
        seen.push_back(m);
        return true;
    });
    ConnectGuard::clear_attempts();
    LookupHandle handle = async_get_host_by_name(window, 30013, "ftp.example.invalid");
    ASSERT_TRUE(test::wait_until([&] { return !seen.empty(); }));
    EXPECT_EQ(async_error(seen[0]), WSAHOST_NOT_FOUND);
    EXPECT_FALSE(lookup_first_address(handle));
    EXPECT_EQ(ConnectGuard::attempts(), std::vector<std::string>{"lookup ftp.example.invalid"});
    release_lookup(handle);
}

} // namespace
} // namespace kestovan
