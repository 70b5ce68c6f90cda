// kestovan-ftp: start-up wiring only. Until the main window exists the program prints its version
// and points at the command-line client.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--has-main-window") == 0)
        return 1;
    std::printf("Kestovan FTP %s\n", KESTOVAN_VERSION);
    std::printf("The main window is not built yet; use kestovan-ftp-cli for transfers.\n");
    return 0;
}
