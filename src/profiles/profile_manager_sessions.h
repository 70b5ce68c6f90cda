// What the profile manager needs of the main window's sessions: finding the session of a profile by
// its file path, connecting, and handing changed settings to a live connection. The shell implements
// it (ShellProfileSessions); tests give a recording stand-in. A manager opened without the main
// window (the command-line edit mode) has none and cannot connect.
#pragma once

#include "views/dir_entry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kestovan {

class Shell;

class ProfileSessions {
public:
    virtual ~ProfileSessions() = default;
    // The session-tree node whose profile file path equals path, compared case-sensitively.
    [[nodiscard]] virtual DirEntry* find_session_node(const std::string& path) = 0;
    [[nodiscard]] virtual bool is_connected(const DirEntry& node) = 0;
    // Takes a new node to the end of the session tree's top level; returns it.
    virtual DirEntry& add_session_node(std::unique_ptr<DirEntry> node) = 0;
    virtual void select(DirEntry& node) = 0;
    // The session tree's connect command, only connecting (a connected session stays as it is).
    virtual void connect(DirEntry& node) = 0;
    // The live connections of the node's sessions take the new case and passive values.
    virtual void apply_live_flags(DirEntry& node, std::uint8_t name_case, std::uint8_t passive) = 0;
};

class ShellProfileSessions : public ProfileSessions {
public:
    explicit ShellProfileSessions(Shell& shell) : shell_(shell) {}
    DirEntry* find_session_node(const std::string& path) override;
    bool is_connected(const DirEntry& node) override;
    DirEntry& add_session_node(std::unique_ptr<DirEntry> node) override;
    void select(DirEntry& node) override;
    void connect(DirEntry& node) override;
    void apply_live_flags(DirEntry& node, std::uint8_t name_case, std::uint8_t passive) override;

private:
    Shell& shell_;
};

} // namespace kestovan
