// The engine's own texts reach the user in the language in force, and what callers act on does not
// depend on that language.
#include "engine/control_channel.h"
#include "support/engine_harness.h"
#include "ui/language.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestovan {
namespace {

using test::EngineHarness;

struct GermanStatusCase {
    const char* name;
    const char* server;
    const char* status; // as the engine raises it
    EngineStatus code;
};

class GermanStatus : public ::testing::TestWithParam<GermanStatusCase> {
protected:
    ~GermanStatus() override { set_current_language(nullptr); }
};

TEST_P(GermanStatus, IsRaisedInGermanWithItsCode)
{
    Language german;
    ASSERT_TRUE(german.load_file(std::filesystem::path(KESTOVAN_RESOURCES_DIR) / "lang" / "lang_de.txt"));
    set_current_language(&german);
    EngineHarness h;
    open_session(h.engine, "u", "p", "", GetParam().server, 21, nullptr, {});
    const auto raised = [&] {
        return std::find_if(h.events.begin(), h.events.end(), [&](const test::RecordedEvent& e) {
            return e.code == EV_STATUS && e.text == GetParam().status;
        });
    };
    ASSERT_TRUE(h.wait([&] { return raised() != h.events.end(); }))
        << ::testing::PrintToString(h.texts(EV_STATUS));
    EXPECT_EQ(raised()->number, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Engine, GermanStatus,
                         ::testing::Values(GermanStatusCase{"LookupFails", "no-such-host.invalid",
                                                            " Host nicht gefunden", STATUS_HOST_NOT_FOUND},
                                           GermanStatusCase{"AddressIsNoAddress", "999.0.0.1",
                                                            " Fehler bei der Adressumsetzung", STATUS_TEXT}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestovan
