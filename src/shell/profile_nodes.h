// Deleting profile nodes from the main window's tree (after "Confirm Delete"): the profile's file or
// the profile folder goes from disk, then the node from the tree. A node whose profile, or any profile
// below it, still has a session is kept (with a message): sessions point at their profile, and a
// pending operation at its nodes.
#pragma once

#include "views/dir_entry.h"

namespace kestovan {

struct ShellContext;

// False when the node was kept; the reason was shown.
bool remove_profile_node(ShellContext& ctx, DirEntry& node);

// After the profile manager changed the profile folder: nodes without a session whose file or
// folder is gone leave the tree, those whose file is there read it again (edited host, login, ...),
// and entries new on disk join the tree. Nodes in use by a session are left as they are.
void refresh_profile_tree(ShellContext& ctx, EntryChain fresh);

} // namespace kestovan
