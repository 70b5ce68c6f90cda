// kestovan-ftp-cli: the headless client over the same engine and event loop as the desktop program,
// for scripted transfers and benchmarks.
#include "cli/cli_arguments.h"
#include "cli/cli_client.h"
#include "cli/cli_mirror.h"
#include "cli/listing_output.h"
#include "cli/netrc.h"
#include "cli/web_commands.h"
#include "common/text_file.h"
#include "profiles/profile_tree.h"
#include "profiles/site_list_import.h"
#include "profiles/state_text.h"
#include "views/dir_entry.h"
#include "views/listing_parser.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>

using namespace kestovan;

namespace {

constexpr const char* USAGE =
    "usage:\n"
    "  kestovan-ftp-cli ls  URL\n"
    "  kestovan-ftp-cli get URL LOCAL_FILE [--resume]\n"
    "  kestovan-ftp-cli put LOCAL_FILE URL [--resume | --append]\n"
    "  kestovan-ftp-cli get -r URL LOCAL_DIR [--parallel N]   (the remote folder's contents into\n"
    "      LOCAL_DIR, made when missing; N files at once on their own connections, default 1)\n"
    "  kestovan-ftp-cli put -r LOCAL_DIR URL [--parallel N]   (the contents of LOCAL_DIR into the\n"
    "      remote folder, made when missing)\n"
    "  kestovan-ftp-cli quote URL COMMAND...\n"
    "  kestovan-ftp-cli parse-listing FILE\n"
    "  kestovan-ftp-cli import FILE [TREE_FILE]   (FILE: a site list, .ftp FTP Voyager, .dat CuteFTP or\n"
    "      .ini WS_FTP; appended to TREE_FILE, default ftp.sav in the current folder)\n"
    "  kestovan-ftp-cli fetch URL LOCAL_FILE   (http:// or https://; saves the page or file)\n"
    "  kestovan-ftp-cli links URL              (the links of a web page, one per line)\n"
    "      web options: --http-proxy [user[:password]@]host:port, --proxy socks4|socks5://...,\n"
    "      --ca-file PEM (trust only this CA for https://), --timeout MS, -v\n"
    "common options: --active (PORT; passive is the default), --ascii, --timeout MS (default 30000;\n"
    "  0 = none), -v (protocol log on stderr, PASS masked), -q/--quiet (no progress line; the line\n"
    "  of bytes, percent, rate and time left is drawn only when stderr is a terminal),\n"
    "  --proxy ftp|socks4|socks5://[user[:password]@]host:port, or --proxy env (the FTP proxy\n"
    "  that ftp_proxy or all_proxy names; active mode through SOCKS goes passive)\n"
    "TLS: --tls (explicit TLS required on ftp://), --ca-file PEM (trust only this CA),\n"
    "  --pin-sha256 FINGERPRINT (trust this one certificate); an untrusted certificate ends the\n"
    "  session before the login with exit status 1\n"
    "URL: ftp://[user[:password]@]host[:port]/path (anonymous when no user and ~/.netrc has no entry);\n"
    "  ftps://... is implicit TLS (port 990 by default), ftpes://... explicit TLS (required).\n"
    "  A URL without a password takes user and password from ~/.netrc (machine, login, password),\n"
    "  which must be readable by its owner only (chmod 600 ~/.netrc).\n"
    "exit status: 0 success, 1 transfer or server failure, 2 usage error\n";

int parse_listing_file(const std::string& path)
{
    auto text = read_whole_file(path);
    if (!text) {
        std::cerr << "kestovan-ftp-cli: cannot read " << path << "\n";
        return 1;
    }
    DirEntry folder;
    for (const auto& entry : parse_listing(*text, folder, ListingOptions{}))
        std::cout << format_entry_line(*entry) << "\n";
    return 0;
}

// Appends a foreign site list to the tree file and prints the entries it added.
int import_site_list(const std::string& site_list, const std::string& tree_file)
{
    RavelinkLibrary library;
    const ImportOutcome outcome = import_by_extension(site_list, tree_file, library);
    if (outcome.kind == ImportKind::None) {
        std::cout << "nothing imported: " << site_list << " ends in none of .ftp, .dat and .ini\n";
        return 0;
    }
    if (outcome.code == IMPORT_LIBRARY_MISSING) {
        std::cerr << "kestovan-ftp-cli: cannot load " << RAVELINK_FILE_NAME << ": " << library.error()
                  << "\n";
        return 1;
    }
    if (outcome.code == IMPORT_UNRECOGNISED) {
        std::cerr << "kestovan-ftp-cli: unknown file format: " << site_list << "\n";
        return 1;
    }
    if (outcome.code != IMPORT_OK) {
        std::cerr << "kestovan-ftp-cli: import failed (" << outcome.code << "): " << site_list << "\n";
        return 1;
    }
    const auto text = read_state_file(tree_file);
    const std::string_view added =
        text && outcome.text_start <= text->size() ? std::string_view(*text).substr(outcome.text_start) : "";
    std::cout << "imported into " << tree_file << ":\n" << format_tree_outline(parse_profile_tree(added));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::string error;
    auto arguments = parse_cli_arguments(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!arguments) {
        std::cerr << "kestovan-ftp-cli: " << error << "\n" << USAGE;
        return 2;
    }
    if (arguments->command == "help") {
        std::cout << USAGE;
        return 0;
    }
    if (arguments->command == "version") {
        std::cout << "kestovan-ftp-cli " << KESTOVAN_VERSION << "\n";
        return 0;
    }
    if (arguments->command == "parse-listing")
        return parse_listing_file(arguments->local_file);
    if (arguments->command == "fetch" || arguments->command == "links")
        return run_web_command(*arguments);
    if (arguments->command == "import")
        return import_site_list(arguments->local_file, arguments->tree_file);

    if (const auto netrc = netrc_path(); netrc && apply_netrc(arguments->url, *netrc) == NetrcResult::UNSAFE)
        std::cerr << "kestovan-ftp-cli: " << netrc->string()
                  << " may be read or changed by other users, so its passwords are not used (chmod 600 it)\n";
    if (arguments->recursive) {
        CliMirror mirror(arguments->options, arguments->url, arguments->parallel);
        const int status = arguments->command == "get" ? mirror.run_get(arguments->local_file)
                                                       : mirror.run_put(arguments->local_file);
        if (status != 0)
            std::cerr << "kestovan-ftp-cli: " << mirror.error() << "\n";
        return status;
    }
    CliClient client(arguments->options, arguments->url);
    int status = 1;
    if (arguments->command == "ls")
        status = client.run_ls();
    else if (arguments->command == "get")
        status = client.run_get(arguments->local_file, arguments->resume);
    else if (arguments->command == "put")
        status = client.run_put(arguments->local_file, arguments->resume, arguments->append);
    else if (arguments->command == "quote")
        status = client.run_quote(arguments->raw_commands);
    std::cout.flush();
    if (status != 0)
        std::cerr << "kestovan-ftp-cli: " << client.error() << "\n";
    return status;
}
