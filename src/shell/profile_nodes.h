// Deleting profile nodes from the main window's tree (after "Confirm Delete"): the profile's file or
// the profile folder goes from disk, then the node from the tree. A node whose profile, or any profile
// below it, still has a session is kept (with a message): sessions point at their profile, and a
// pending operation at its nodes.
#pragma once

namespace kestovan {

struct DirEntry;
struct ShellContext;

// False when the node was kept; the reason was shown.
bool remove_profile_node(ShellContext& ctx, DirEntry& node);

} // namespace kestovan
