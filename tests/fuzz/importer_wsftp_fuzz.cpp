// Feeds arbitrary bytes to the WS_FTP site-list reader as a set of files: the input is cut at each
// 0x1E byte, the first piece is the top file and piece N the file named "fN" (N a digit), so
// "FILENAME=" sections can name each other, themselves and the top file ("f0").
#include "importer/wsftp_reader.h"
#include "importer_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace kestovan;

class PieceOpener : public WsFileOpener {
public:
    explicit PieceOpener(std::vector<std::string_view> pieces) : pieces_(std::move(pieces)) {}

    std::optional<WsFile> open_named(std::string_view name, const WsFile&,
                                     const std::function<bool(const FileIdentity&)>& already_read) override
    {
        if (name.size() != 2 || name[0] != 'f' || name[1] < '0' || name[1] > '9')
            return std::nullopt;
        const std::size_t index = static_cast<std::size_t>(name[1] - '0');
        if (index >= pieces_.size())
            return std::nullopt;
        const FileIdentity identity{0, static_cast<ino_t>(index)};
        if (already_read(identity))
            return std::nullopt;
        fuzz::require(++opened_[index] == 1); // each file is read once
        return WsFile{std::string(name), std::string(pieces_[index]), identity};
    }

private:
    std::vector<std::string_view> pieces_;
    int opened_[10] = {};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0;;) {
        const std::size_t end = bytes.find('\x1E', at);
        pieces.push_back(bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    PieceOpener opener(pieces);
    const auto text =
        format_ws_tree(WsFile{"C:\\WS_FTP\\WS_FTP.ini", std::string(pieces[0]), FileIdentity{0, 0}}, opener);
    fuzz::check_tree_text(text, "WS_FTP Sites");
    return 0;
}
