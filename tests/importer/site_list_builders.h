// Site lists of the three foreign clients, built byte by byte from their documented layouts (no real
// file of those programs may be copied here), plus small helpers the importer tests share.
#pragma once

#include "importer/ftpv_reader.h"
#include "profiles/profile_tree.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan::test {

// A length byte and the characters; text must be shorter than 256 bytes.
inline std::string counted(std::string_view text)
{
    return std::string(1, static_cast<char>(text.size())) + std::string(text);
}

inline std::string le16(std::uint16_t value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

inline std::string le32(std::uint32_t value)
{
    std::string out;
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    return out;
}

// FTP Voyager: junk, "/", a body, the terminator; per record.
class FtpvFile {
public:
    // A whole body: three ignored bytes, the name, the skipped second string, the third and fourth
    // strings (the fourth only when the third is not empty), then tail.
    static std::string body(std::string_view name, std::string_view second, std::string_view third,
                            std::string_view fourth, std::string_view tail)
    {
        std::string out = "\x07\x08\x09" + counted(name);
        if (second.size() >= 0xFF)
            out += "\xFF" + le16(static_cast<std::uint16_t>(second.size())) + std::string(second);
        else
            out += counted(second);
        out += counted(third);
        if (!third.empty())
            out += counted(fourth);
        return out + std::string(tail);
    }

    // Folders end in the empty fourth string's length byte and two more zero bytes.
    FtpvFile& folder(std::string_view name, std::string_view comment = "")
    {
        return record(body(name, "x", comment, "", std::string("\0\0\x05", 3)));
    }

    // Sites: a non-zero byte after the fourth string keeps the zero count below three.
    FtpvFile& site(std::string_view name, std::string_view host, std::string_view remote)
    {
        return record(body(name, "skipped", host, remote, std::string("\x01\0\0\0", 4)));
    }

    FtpvFile& record(std::string_view record_body)
    {
        bytes_ += std::string("\x11\x22", 2) + "/" + std::string(record_body) + std::string(FTPV_TERMINATOR);
        return *this;
    }

    FtpvFile& raw(std::string_view bytes)
    {
        bytes_ += bytes;
        return *this;
    }

    [[nodiscard]] const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_ = "FTPV header without slash\n";
};

// CuteFTP: a 12-byte header, then records behind their markers.
class CuteFile {
public:
    enum class Marker {
        Short, // 80 01 for sites, 0E 80 01 for folders
        Typed, // FF FF 01 00, a class name, the kind in the third word
    };

    struct Site {
        std::uint32_t id = 0;
        std::uint32_t parent = 0;
        std::string name;
        std::string host;
        std::string user;
        std::string password;
        std::string remote;
        std::uint8_t port = 21;
        std::string comment;
    };

    CuteFile& site(const Site& site, Marker marker = Marker::Short)
    {
        std::string fields =
            head(site.id, 0, site.parent, site.name) + std::string(20, '\x5A') + counted(site.host);
        fields += site.user.empty() ? std::string(2, '\0') : counted(site.user) + counted(site.password);
        fields += counted(site.remote) + "\x01" + std::string(1, static_cast<char>(site.port)) +
                  std::string(63, '\x5A') + counted(site.comment);
        return add(fields, marker, "\x80");
    }

    CuteFile& folder(std::uint32_t id, std::uint32_t parent, std::string_view name,
                     Marker marker = Marker::Short)
    {
        return add(head(id, 1, parent, name), marker, "\x0E\x80");
    }

    CuteFile& raw(std::string_view bytes)
    {
        bytes_ += bytes;
        return *this;
    }

    [[nodiscard]] const std::string& bytes() const { return bytes_; }

private:
    // The first word starts with the 01 of the short markers.
    static std::string head(std::uint32_t id, std::uint32_t kind, std::uint32_t parent, std::string_view name)
    {
        return std::string("\x01\x00\x00\x00", 4) + le32(id) + le32(kind) + le32(parent) + counted(name);
    }

    CuteFile& add(const std::string& record, Marker marker, std::string_view short_marker)
    {
        if (marker == Marker::Typed) {
            const std::string_view type = "CSiteRecord";
            bytes_ += std::string("\xFF\xFF\x01\x00", 4) + le16(static_cast<std::uint16_t>(type.size())) +
                      std::string(type) + record;
        } else {
            bytes_ += std::string(short_marker) + record; // record[0] is the marker's 01
        }
        return *this;
    }

    std::string bytes_ = std::string("CUTE\0\0\0\0\0\0\0\0", 12);
};

// The tree as "name(kind)[children]" text, so a whole shape compares in one line.
inline std::string shape(const EntryChain& nodes)
{
    std::string out;
    for (const auto& node : nodes) {
        if (!out.empty())
            out += ",";
        out += node->name + "(" + std::to_string(node->kind) + ")";
        if (!node->children.empty())
            out += "[" + shape(node->children) + "]";
    }
    return out;
}

// The entry at a path of names through the tree; null when there is none.
inline const DirEntry* find_entry(const EntryChain& nodes, std::initializer_list<std::string_view> names)
{
    const EntryChain* level = &nodes;
    const DirEntry* found = nullptr;
    for (const std::string_view name : names) {
        found = nullptr;
        for (const auto& node : *level) {
            if (node->name == name) {
                found = node.get();
                break;
            }
        }
        if (!found)
            return nullptr;
        level = &found->children;
    }
    return found;
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace kestovan::test
