// kestovan-ftp-cli: the headless client over the same engine and event loop as the desktop program,
// for scripted transfers and benchmarks.
#include "cli/cli_arguments.h"
#include "cli/cli_client.h"
#include "cli/listing_output.h"
#include "common/text_file.h"
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
    "  kestovan-ftp-cli quote URL COMMAND...\n"
    "  kestovan-ftp-cli parse-listing FILE\n"
    "common options: --active (PORT; passive is the default), --ascii, --timeout MS (default 30000;\n"
    "  0 = none), -v (protocol log on stderr, PASS masked),\n"
    "  --proxy ftp|socks4|socks5://[user[:password]@]host:port\n"
    "URL: ftp://[user[:password]@]host[:port]/path (anonymous when no user)\n";

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
