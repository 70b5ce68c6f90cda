// Link harvesting: the cleaning of each href, the links of a page in document order, and the
// web-link children a URL profile gets when its page arrives.
#include "profiles/site_profile.h"
#include "queue/task.h"
#include "support/scripted_http_server.h"
#include "support/web_harness.h"
#include "views/link_harvest.h"
#include "views/web_links.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::ScriptedHttpServer;
using test::WebHarness;

TEST(CleanLink, SchemeFragmentQueryAndTheJspException)
{
    struct Row {
        const char* href;
        std::optional<std::string> cleaned;
    };
    const Row rows[] = {
        {"page.html?x=1#top", "page.html"},
        {"page.jsp?x=1", "page.jsp?x=1"},
        {"page.jsp?x=1#top", "page.jsp?x=1"},
        {"Shop.JSP?item=7", "Shop.JSP?item=7"},
        {"HTTP://Example.test/A.html", "http://Example.test/A.html"},
        {"HTTPS://Example.test/b?q", "https://Example.test/b"},
        {"  files/a.zip \n", "files/a.zip"},
        {"files/\nlong\tname.zip", "files/longname.zip"},
        {"page.html #top", "page.html"},
        {" : #x", ":"},
        {"#top", std::nullopt},
        {"", std::nullopt},
        {"?only=query", std::nullopt},
        {"mailto:someone@example.test", "mailto:someone@example.test"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(clean_link(row.href), row.cleaned) << row.href;
}

TEST(HarvestLinks, EveryAnchorInDocumentOrderEachOnce)
{
    const std::string page = R"(<!DOCTYPE html><html><head><title>t</title>
        <link href="style.css" rel="stylesheet"></head><body>
        <p><a href="b.zip">B</a> <a name="anchor-only">x</a>
        <div><table><tr><td><A HREF="a.zip">A</A></td></tr></table></div>
        <a href="B.ZIP">same as the first, in capitals</a>
        <a href="page.html?x=1#top">page</a><a href="page.html">again</a>
        <img src="c.png"><a href='d.jsp?id=4'>d</a>
        <a href=unquoted.txt>u</a>
        <a href="#section">fragment only</a>
        <p>unclosed <a href="e.tar.gz">e</p></body></html>)";
    EXPECT_EQ(harvest_links(page), (std::vector<std::string>{"b.zip", "a.zip", "page.html", "d.jsp?id=4",
                                                             "unquoted.txt", "e.tar.gz"}));
}

TEST(HarvestLinks, PagesWithoutLinks)
{
    EXPECT_TRUE(harvest_links("").empty());
    EXPECT_TRUE(harvest_links("<html><body><p>Nothing to see</p></body></html>").empty());
    EXPECT_TRUE(harvest_links("plain text, not even HTML").empty());
    EXPECT_TRUE(harvest_links(std::string(100000, '<')).empty());
}

TEST(HarvestLinks, DeepNestingDoesNotExhaustTheStack)
{
    std::string page;
    for (int i = 0; i < 20000; ++i)
        page += "<div>";
    page += "<a href=deep.bin>deep</a>";
    EXPECT_EQ(harvest_links(page), std::vector<std::string>{"deep.bin"});
}

// A URL-profile node with its profile, as the profile tree makes them.
std::unique_ptr<DirEntry> url_profile(const std::string& url)
{
    auto node = std::make_unique<DirEntry>();
    node->kind = KIND_URL_PROFILE;
    node->name = "Downloads page";
    auto profile = std::make_unique<SiteProfile>();
    profile->server = url;
    profile->kind_copy = KIND_URL_PROFILE;
    node->profile = OwnedSiteProfile(profile.release());
    node->session = node->profile.get();
    return node;
}

WebRequest arrived_page(const std::string& html, std::uint16_t flags = WEB_ENDED)
{
    WebRequest request;
    request.buffer = "HTTP/1.0 200 OK\r\n\r\n" + html;
    request.header_seen = true;
    request.header_length = 19;
    request.status_code = 200;
    request.result_flags = flags;
    return request;
}

struct Observed {
    std::vector<std::string> calls;
    std::vector<std::uint8_t> states;
    std::vector<std::string> messages;
    HarvestView view()
    {
        HarvestView v;
        v.removing_children = [this](DirEntry& n) {
            calls.push_back("remove " + std::to_string(n.children.size()));
        };
        v.children_added = [this](DirEntry& n) {
            calls.push_back("added " + std::to_string(n.children.size()));
        };
        v.post_information = [this](const std::string& text) { messages.push_back(text); };
        v.task_state = [this](std::uint8_t state) { states.push_back(state); };
        return v;
    }
};

std::vector<std::string> child_names(const DirEntry& node)
{
    std::vector<std::string> names;
    for (const auto& child : node.children) {
        EXPECT_EQ(child->kind, KIND_WEB_LINK);
        EXPECT_EQ(child->parent, &node);
        names.push_back(child->name);
    }
    return names;
}

TEST(LinksHarvested, ReplacesTheChildrenWithTheLinksOfTheNewPage)
{
    auto node = url_profile("http://example.test/files/");
    Observed seen;
    const HarvestView view = seen.view();
    EXPECT_EQ(links_harvested(*node, arrived_page("<a href=one.zip>1</a><a href=ONE.zip>1</a>"), view),
              HarvestOutcome::HARVESTED);
    EXPECT_EQ(child_names(*node), std::vector<std::string>{"one.zip"})
        << "two links differing in case give one node";
    EXPECT_EQ(links_harvested(*node, arrived_page("<a href=two.zip>2</a><a href=three.zip>3</a>"), view),
              HarvestOutcome::HARVESTED);
    EXPECT_EQ(child_names(*node), (std::vector<std::string>{"two.zip", "three.zip"}));
    EXPECT_EQ(seen.calls, (std::vector<std::string>{"added 1", "remove 1", "added 2"}));
    EXPECT_EQ(seen.states, (std::vector<std::uint8_t>{TASK_DONE, TASK_DONE}));
    EXPECT_TRUE(seen.messages.empty());
}

TEST(LinksHarvested, FailedEmptyAndLinklessPages)
{
    auto node = url_profile("http://example.test/");
    node->add_child(std::make_unique<DirEntry>());
    Observed seen;
    const HarvestView view = seen.view();
    EXPECT_EQ(links_harvested(*node, arrived_page("<a href=x>x</a>", WEB_ENDED | WEB_FAILED), view),
              HarvestOutcome::FAILED);
    EXPECT_EQ(seen.states, std::vector<std::uint8_t>{TASK_FAILED});
    EXPECT_EQ(links_harvested(*node, arrived_page(""), view), HarvestOutcome::EMPTY_PAGE);
    EXPECT_EQ(node->children.size(), 1u) << "neither a failure nor an empty page touches the children";
    EXPECT_EQ(links_harvested(*node, arrived_page("<p>no links here</p>"), view), HarvestOutcome::HARVESTED);
    EXPECT_TRUE(node->children.empty());
    EXPECT_EQ(seen.messages,
              std::vector<std::string>{"No file links have been found at 'http://example.test/'"});
}

TEST(WebNodeUrl, ProfilesAndAbsoluteOrRelativeLinks)
{
    auto profile = url_profile("http://example.test/dir/index.html");
    auto add_link = [&](const std::string& name) -> DirEntry& {
        auto link = std::make_unique<DirEntry>();
        link->kind = KIND_WEB_LINK;
        link->name = name;
        return profile->add_child(std::move(link));
    };
    EXPECT_EQ(web_node_url(*profile), "http://example.test/dir/index.html");
    EXPECT_EQ(web_node_url(add_link("file.zip")), "http://example.test/dir/file.zip");
    EXPECT_EQ(web_node_url(add_link("/top.zip")), "http://example.test/top.zip");
    EXPECT_EQ(web_node_url(add_link("https://other.test/x")), "https://other.test/x");
    EXPECT_EQ(web_node_url(add_link("mailto:someone@example.test")), std::nullopt);
    EXPECT_EQ(web_node_url(*url_profile("ftp://example.test/")), std::nullopt);
    DirEntry folder;
    folder.kind = KIND_FOLDER;
    EXPECT_EQ(web_node_url(folder), std::nullopt);
}

TEST(FetchLinks, AUrlProfileGetsTheLinksOfItsPageAfterARedirection)
{
    ScriptedHttpServer server;
    server.accept().expect_request().respond(302, {"Location: /files/"}).close();
    server.accept()
        .expect_request()
        .respond(200, {"Content-Type: text/html"},
                 "<ul><li><a href=a.zip>a</a><li><a href=b.zip#x>b</a></ul>")
        .close();
    server.start();
    WebHarness h;
    auto node = url_profile(server.url("/"));
    Observed seen;
    WebRequest* request = fetch_links(h.client, *node, seen.view());
    ASSERT_NE(request, nullptr);
    ASSERT_TRUE(h.wait([&] { return !seen.states.empty(); })) << server.failure();
    EXPECT_EQ(child_names(*node), (std::vector<std::string>{"a.zip", "b.zip"}));
    EXPECT_EQ(web_node_url(*node->children[1]), server.url("/files/b.zip"))
        << "a link is relative to the page it was found on, the target of the redirection";
    EXPECT_EQ(seen.states, std::vector<std::uint8_t>{TASK_DONE});
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
}

} // namespace
} // namespace kestovan
