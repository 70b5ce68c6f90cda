// Deleting profile nodes from the main window's tree (after "Confirm Delete"): the profile's file or
// the profile folder goes from disk, then the node from the tree. A node whose profile, or any profile
// below it, still has a session is kept (with a message): sessions point at their profile, and a
// pending operation at its nodes.
#pragma once

#include "shell/pane_clipboard.h"
#include "views/dir_entry.h"

#include <string>
#include <vector>

namespace kestovan {

struct ShellContext;

// False when the node was kept; the reason was shown.
bool remove_profile_node(ShellContext& ctx, DirEntry& node);

// After the profile manager changed the profile folder: nodes without a session whose file or
// folder is gone leave the tree, those whose file is there read it again (edited host, login, ...),
// and entries new on disk join the tree. Nodes in use by a session are left as they are.
void refresh_profile_tree(ShellContext& ctx, EntryChain fresh);

// The node of a recent-profile entry ("display name:profile file path"): the one whose profile was
// read from that file (two profiles may share a display name), else the file loaded into a new node
// at the top of the tree. Null, after a message, when the file is gone; an entry without a path is
// looked up by display name.
DirEntry* recent_profile_node(ShellContext& ctx, const std::string& entry);

// Paste of copied site and URL profiles into the tree: each becomes a new entry of its kind (the
// default name, never over an existing file) holding the copied settings, in the shown profile
// folder or else at the top of the tree; the first is shown. Other rows are left alone.
void paste_profile_nodes(ShellContext& ctx, const std::vector<RemoteClip>& clips);

// Whether profile nodes may be dropped onto folder: a profile folder that is none of them, lies
// below none of them, and is not already where they all are.
[[nodiscard]] bool can_move_profile_nodes(const std::vector<DirEntry*>& nodes, const DirEntry& folder);
// Moves profile nodes (profiles, links, folders) into a profile folder, their files or folders on
// disk with them; a name that is taken there is not replaced (the node stays, with a message).
void move_profile_nodes(ShellContext& ctx, const std::vector<DirEntry*>& nodes, DirEntry& folder);

} // namespace kestovan
