// The two clipboards and Paste: local copies with the replace question, downloads of the remote
// clipboard and uploads of the local one through the transfers, and the menus' enabling rules.
#include "shell/pane_clipboard.h"
#include "support/scripted_prompts.h"
#include "views/pane_menus.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

struct Recorder {
    std::vector<std::tuple<DirEntry*, std::vector<DirEntry*>, std::string>> downloads;
    std::vector<std::pair<DirEntry*, std::vector<std::string>>> uploads;
    TransferPort port()
    {
        TransferPort p;
        p.download = [this](DirEntry* s, const std::vector<DirEntry*>& e, const std::string& f) {
            downloads.emplace_back(s, e, f);
        };
        p.upload = [this](DirEntry* t, const std::vector<std::string>& paths) {
            uploads.emplace_back(t, paths);
        };
        return p;
    }
};

std::string read(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

LocalEntry file_row(const std::string& folder, const std::string& name, const std::string& content)
{
    const std::string path = folder + "/" + name;
    std::ofstream(path) << content;
    LocalEntry e;
    e.kind = LOCAL_FILE;
    e.name = name;
    e.path = path;
    return e;
}

struct ClipboardTest : ::testing::Test {
    QTemporaryDir dir;
    std::string from = dir.path().toStdString() + "/from";
    std::string to = dir.path().toStdString() + "/to";
    test::ScriptedPrompts prompts;
    Recorder recorder;
    PaneClipboards clips;
    NodeAlive alive = [](const DirEntry* node) { return node != nullptr; };
    ClipboardTest()
    {
        std::filesystem::create_directory(from);
        std::filesystem::create_directory(to);
    }
};

TEST_F(ClipboardTest, LocalPasteAsksBeforeReplacingAndStopsAtCancel)
{
    LocalEntry parent;
    parent.kind = LOCAL_PARENT;
    clips.copy_local(
        {parent, file_row(from, "a", "new a"), file_row(from, "b", "new b"), file_row(from, "c", "new c")});
    ASSERT_EQ(clips.local().size(), 3u) << "'..' is not copied";
    std::ofstream(to + "/a") << "old a";
    std::ofstream(to + "/b") << "old b";
    std::ofstream(to + "/c") << "old c";

    prompts.answers = {PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::Cancel};
    LocalPasteResult r = paste_local(clips, to, prompts, recorder.port(), alive);
    EXPECT_EQ(r.copied, 1);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(read(to + "/a"), "old a");
    EXPECT_EQ(read(to + "/b"), "new b");
    EXPECT_EQ(read(to + "/c"), "old c");
    ASSERT_EQ(prompts.asked.size(), 3u);
    EXPECT_EQ(prompts.asked[0].text, "File '" + to +
                                         "/a' already exists.  Would you like to replace this file with '" +
                                         from + "/a'?");

    prompts.asked.clear();
    prompts.answers = {PromptAnswer::YesToAll};
    r = paste_local(clips, to, prompts, recorder.port(), alive);
    EXPECT_EQ(r.copied, 3);
    EXPECT_EQ(prompts.asked.size(), 1u) << "Yes to All answers the rest";
    EXPECT_EQ(read(to + "/c"), "new c");
    EXPECT_TRUE(recorder.downloads.empty())
        << "the remote clipboard is not used while the local one holds rows";

    prompts.asked.clear();
    r = paste_local(clips, from, prompts, recorder.port(), alive);
    EXPECT_EQ(r.copied, 0);
    EXPECT_TRUE(prompts.asked.empty()) << "pasting into the files' own folder leaves them alone";
    EXPECT_EQ(read(from + "/a"), "new a");
}

TEST_F(ClipboardTest, CopyReplacesBothClipboardsAndRemotePasteDownloadsLiveRows)
{
    DirEntry site;
    site.kind = KIND_SITE;
    DirEntry file;
    file.name = "x.bin";
    DirEntry gone;
    DirEntry parent;
    parent.kind = KIND_PARENT;

    clips.copy_local({file_row(from, "a", "1")});
    clips.copy_local({file_row(from, "b", "2")});
    ASSERT_EQ(clips.local().size(), 1u);
    EXPECT_EQ(clips.local().front().name, "b") << "the second copy replaces the first";

    clips.copy_remote(&site, {&parent, &file, &gone});
    EXPECT_TRUE(clips.local().empty()) << "copy in one list empties both clipboards";
    ASSERT_EQ(clips.remote().size(), 2u);
    EXPECT_EQ(clips.remote_first()->name, "x.bin");
    EXPECT_NE(clips.remote_first(), &file) << "the clipboard holds copies";

    NodeAlive only_file = [&](const DirEntry* n) { return n == &site || n == &file; };
    LocalPasteResult r = paste_local(clips, to, prompts, recorder.port(), only_file);
    EXPECT_TRUE(r.downloaded);
    ASSERT_EQ(recorder.downloads.size(), 1u);
    EXPECT_EQ(std::get<0>(recorder.downloads[0]), &site);
    EXPECT_EQ(std::get<1>(recorder.downloads[0]), (std::vector<DirEntry*>{&file}))
        << "rows since gone are left out";
    EXPECT_EQ(std::get<2>(recorder.downloads[0]), to);

    EXPECT_FALSE(paste_remote(clips, &site, recorder.port(), {})) << "remote files are not pasted remotely";
    EXPECT_TRUE(recorder.uploads.empty());
}

TEST_F(ClipboardTest, RemotePasteUploadsTheLocalClipboardOrHandsOnProfiles)
{
    DirEntry folder;
    folder.kind = KIND_FOLDER;
    clips.copy_local({file_row(from, "a", "1"), file_row(from, "b", "2")});
    EXPECT_TRUE(paste_remote(clips, &folder, recorder.port(), {}));
    ASSERT_EQ(recorder.uploads.size(), 1u);
    EXPECT_EQ(recorder.uploads[0].first, &folder);
    EXPECT_EQ(recorder.uploads[0].second, (std::vector<std::string>{from + "/a", from + "/b"}));

    DirEntry site;
    site.kind = KIND_SITE;
    site.name = "home";
    clips.copy_remote(nullptr, {&site});
    std::vector<std::string> pasted;
    EXPECT_TRUE(paste_remote(clips, &folder, recorder.port(), [&](const std::vector<RemoteClip>& c) {
        for (const RemoteClip& clip : c)
            pasted.push_back(clip.copy->name);
    }));
    EXPECT_EQ(pasted, (std::vector<std::string>{"home"}));
}

int enabled(const std::vector<PaneMenuItem>& items, int command)
{
    for (const PaneMenuItem& item : items)
        if (item.command == command)
            return item.enabled ? 1 : 0;
    return -1; // not present
}

TEST(PaneMenus, LocalItemsNeedASelectionAndBatchOnlyFiles)
{
    using namespace pane_cmd;
    LocalMenuFacts none;
    auto items = local_menu(none);
    for (int id : {UPLOAD, OPEN_LOCAL, COPY_LOCAL, DELETE_LOCAL, RENAME_LOCAL, MOVE_LOCAL, PASTE_LOCAL})
        EXPECT_EQ(enabled(items, id), 0) << id;
    for (int id : {NEW_FOLDER_LOCAL, REFRESH_LOCAL, SELECT_ALL_LOCAL})
        EXPECT_EQ(enabled(items, id), 1) << id;

    LocalMenuFacts folder_and_file{2, 1, true, false};
    items = local_menu(folder_and_file);
    EXPECT_EQ(enabled(items, UPLOAD), 1);
    EXPECT_EQ(enabled(items, ADD_BATCH_LOCAL), 0) << "a folder cannot go to the batch";
    EXPECT_EQ(enabled(items, RENAME_LOCAL), 0) << "one row at a time";
    EXPECT_EQ(enabled(items, PASTE_LOCAL), 1);
}

TEST(PaneMenus, RemoteItemsFollowConnectionKindAndClipboard)
{
    using namespace pane_cmd;
    DirEntry site, folder, file, profile_folder;
    site.kind = KIND_SITE;
    folder.kind = KIND_FOLDER;
    profile_folder.kind = KIND_PROFILE_FOLDER;

    RemoteMenuFacts f;
    f.selected = &folder;
    f.selected_rows = 1;
    f.has_session = true;
    f.shown_folder = &site;
    auto items = remote_menu(f, false);
    EXPECT_EQ(enabled(items, CONNECT_LIST), 1);
    EXPECT_EQ(enabled(items, DISCONNECT_LIST), -1) << "only the one that applies is present";
    EXPECT_EQ(enabled(items, HAMMER_LIST), 1);
    for (int id : {OPEN_REMOTE, VIEW_REMOTE, MOVE_LIST, EDIT_LIST, REFRESH_LIST})
        EXPECT_EQ(enabled(items, id), 0) << id << " needs a connection";
    EXPECT_EQ(enabled(items, ADD_BATCH_LIST), 0);
    EXPECT_EQ(enabled(items, PASTE_REMOTE), 0) << "both clipboards empty";

    f.connected = true;
    f.hammering = true;
    items = remote_menu(f, false);
    EXPECT_EQ(enabled(items, DISCONNECT_LIST), 1);
    EXPECT_EQ(enabled(items, HAMMER_STOP_LIST), 1);
    EXPECT_EQ(enabled(items, VIEW_REMOTE), 1);
    EXPECT_EQ(enabled(items, EDIT_LIST), 0) << "folders are not edited";
    f.selected = &file;
    f.only_batchable = true;
    items = remote_menu(f, false);
    EXPECT_EQ(enabled(items, EDIT_LIST), 1);
    EXPECT_EQ(enabled(items, ADD_BATCH_LIST), 1);

    f.clipboards_empty = false;
    f.remote_clip_first = &site;
    f.shown_folder = &folder;
    EXPECT_EQ(enabled(remote_menu(f, true), PASTE_TREE), 0)
        << "profiles paste only into sites or profile folders";
    f.shown_folder = &profile_folder;
    EXPECT_EQ(enabled(remote_menu(f, true), PASTE_TREE), 1);
    EXPECT_EQ(enabled(remote_menu(f, true), SELECT_ALL_REMOTE), -1) << "the tree has no Select All";
}

} // namespace
} // namespace kestovan
