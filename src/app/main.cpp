// kestovan-ftp: start-up wiring only. Until the main window exists the program prints its version.
#include <cstdio>

int main()
{
    std::printf("Kestovan FTP %s\n", KESTOVAN_VERSION);
    std::printf("The main window is not built yet; this build provides kestovan-ftp-cli.\n");
    return 0;
}
