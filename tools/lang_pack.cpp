// Packs a language source text (resources/lang/lang_XX.txt) into the compressed container that the
// program reads as lang/lang_XX.dat. Lines are written ending in CR LF, whatever the source used.
//
//   lang_pack <source.txt> <target.dat>
#include "common/container.h"
#include "common/text_file.h"
#include "ui/language_reader.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: lang_pack <source.txt> <target.dat>\n");
        return 2;
    }
    const std::filesystem::path source = argv[1];
    const std::filesystem::path target = argv[2];
    const std::optional<std::string> text = kestovan::read_whole_file(source);
    if (!text) {
        std::fprintf(stderr, "lang_pack: cannot read %s\n", source.c_str());
        return 1;
    }
    try {
        std::error_code error;
        if (target.has_parent_path())
            std::filesystem::create_directories(target.parent_path(), error);
        if (!kestovan::write_container(target, kestovan::to_crlf_lines(*text))) {
            std::fprintf(stderr, "lang_pack: cannot write %s\n", target.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lang_pack: %s: %s\n", source.c_str(), e.what());
        return 1;
    }
    return 0;
}
