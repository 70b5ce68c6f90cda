// kestovan-ftp-cli: the headless client over the same engine and event loop.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0)) {
        std::printf("kestovan-ftp-cli %s\n", KESTOVAN_VERSION);
        return 0;
    }
    std::printf("usage: kestovan-ftp-cli --version\n");
    return argc > 1 ? 2 : 0;
}
