// What a host program's docking texts mean.
#include "shell/docking.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(DockRequest, DockIsExactAndCaseSensitiveCloseIsAPrefix)
{
    using namespace std::string_view_literals;
    EXPECT_EQ(dock_request("Dock"), DockRequest::DOCK);
    EXPECT_EQ(dock_request("Dock\0"sv), DockRequest::DOCK);
    EXPECT_EQ(dock_request("dock"), DockRequest::NONE);
    EXPECT_EQ(dock_request("Docked"), DockRequest::NONE);
    EXPECT_EQ(dock_request("Clos"), DockRequest::CLOSE);
    EXPECT_EQ(dock_request("Close window"), DockRequest::CLOSE);
    EXPECT_EQ(dock_request("Clo"), DockRequest::NONE);
    EXPECT_EQ(dock_request(""), DockRequest::NONE);
    EXPECT_EQ(dock_registration(42), "Register 42");
}

} // namespace
} // namespace kestovan
