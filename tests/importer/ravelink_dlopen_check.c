/* Loads libravelink.so as any C program would, by dlopen, and calls each of its six functions:
 * one small site list per format into a fresh tree file, the argument check, and detection against an
 * empty and a filled Wine prefix. Exit status 0 when every call gave what it should.
 * usage: ravelink_dlopen_check LIBRARY SCRATCH_FOLDER (made when missing; its files are replaced) */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

typedef int (*import_function)(const char*, const char*);
typedef int (*detect_function)(void);

static int failures = 0;

static void expect(int got, int wanted, const char* what)
{
    if (got != wanted) {
        fprintf(stderr, "FAILED: %s gave %d, expected %d\n", what, got, wanted);
        ++failures;
    }
}

static void write_bytes(const char* path, const char* bytes, size_t size)
{
    FILE* file = fopen(path, "wb");
    if (!file || fwrite(bytes, 1, size, file) != size || fclose(file) != 0) {
        fprintf(stderr, "cannot write %s\n", path);
        exit(2);
    }
}

static long file_size(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 ? (long)info.st_size : -1;
}

#define PATH_SIZE 4096

/* folder + "/" + name into out, which holds PATH_SIZE bytes. */
static char* path_in(char* out, const char* folder, const char* name)
{
    if (strlen(folder) + strlen(name) + 2 > PATH_SIZE) {
        fprintf(stderr, "path too long: %s/%s\n", folder, name);
        exit(2);
    }
    strcpy(out, folder);
    strcat(out, "/");
    strcat(out, name);
    return out;
}

static void* symbol(void* library, const char* name)
{
    void* found = dlsym(library, name);
    if (!found) {
        fprintf(stderr, "FAILED: %s is not exported\n", name);
        exit(1);
    }
    return found;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s LIBRARY SCRATCH_FOLDER\n", argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "FAILED: dlopen: %s\n", dlerror());
        return 1;
    }
    import_function import_ftpv, import_cute, import_ws;
    detect_function ftpv_installed, cute_installed, ws_installed;
    *(void**)&import_ftpv = symbol(library, "importFTPV");
    *(void**)&import_cute = symbol(library, "importCuteFTP");
    *(void**)&import_ws = symbol(library, "importWSFTP");
    *(void**)&ftpv_installed = symbol(library, "isFTPVInstalled");
    *(void**)&cute_installed = symbol(library, "isCuteInstalled");
    *(void**)&ws_installed = symbol(library, "isWSFTPInstalled");

    char tree[PATH_SIZE], ftpv[PATH_SIZE], cute[PATH_SIZE], ws[PATH_SIZE], prefix[PATH_SIZE];
    char system_file[PATH_SIZE], user_file[PATH_SIZE];
    path_in(tree, argv[2], "ftp.sav");
    path_in(ftpv, argv[2], "FTPVoyager.ftp");
    path_in(cute, argv[2], "sm.dat");
    path_in(ws, argv[2], "WS_FTP.ini");
    path_in(prefix, argv[2], "prefix");
    path_in(system_file, prefix, "system.reg");
    path_in(user_file, prefix, "user.reg");
    mkdir(argv[2], 0700); /* left from an earlier run, or made now */
    mkdir(prefix, 0700);
    remove(tree);
    remove(system_file);
    remove(user_file);

    /* FTP Voyager: a top folder record, a folder record and a site record. */
    static const char ftpv_bytes[] = "/\1\2\3\3Top\0\0\0\0\0\x05\x33\xED\x8A\x32"
                                     "/\1\2\3\1F\0\0\0\0\0\x05\x33\xED\x8A\x32"
                                     "/\1\2\3\1s\0\1h\1/\1\0\0\0\x33\xED\x8A\x32";
    write_bytes(ftpv, ftpv_bytes, sizeof ftpv_bytes - 1);
    /* CuteFTP: the header, then one site record behind its short marker. */
    static const char cute_bytes[] = "0123456789AB\x80\1\0\0\0"
                                     "\1\0\0\0\0\0\0\0\0\0\0\0\1c"
                                     "ZZZZZZZZZZZZZZZZZZZZ\1h\0\0\1/\0\x15"
                                     "ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ\0";
    write_bytes(cute, cute_bytes, sizeof cute_bytes - 1);
    static const char ws_text[] = "[w]\nHOST=h\n";
    write_bytes(ws, ws_text, sizeof ws_text - 1);

    long before = 0;
    expect(import_ftpv(tree, ftpv), 1, "importFTPV");
    expect(file_size(tree) > before, 1, "importFTPV appended");
    before = file_size(tree);
    expect(import_cute(cute, tree), 1, "importCuteFTP");
    expect(file_size(tree) > before, 1, "importCuteFTP appended");
    before = file_size(tree);
    expect(import_ws(ws, tree), 1, "importWSFTP");
    expect(file_size(tree) > before, 1, "importWSFTP appended");
    expect(import_ws(NULL, tree), -103, "importWSFTP without source");
    expect(import_cute(ws, tree), -104, "importCuteFTP of a text file");

    setenv("WINEPREFIX", prefix, 1);
    expect(ftpv_installed(), 0, "isFTPVInstalled, empty prefix");
    expect(cute_installed(), 0, "isCuteInstalled, empty prefix");
    expect(ws_installed(), 0, "isWSFTPInstalled, empty prefix");
    static const char system_reg[] =
        "WINE REGISTRY Version 2\n\n"
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\FTPVoyager.exe] 1\n"
        "\"Path\"=\"C:\\\\FTPV\"\n\n"
        "[Software\\\\ipswitch\\\\ws_ftp] 1\n@=\"C:\\\\WS_FTP\"\n";
    write_bytes(system_file, system_reg, sizeof system_reg - 1);
    static const char user_reg[] =
        "WINE REGISTRY Version 2\n\n[Software\\\\GlobalSCAPE\\\\CuteFTP 4.0] 1\n@=\"x\"\n";
    write_bytes(user_file, user_reg, sizeof user_reg - 1);
    expect(ftpv_installed(), 1, "isFTPVInstalled");
    expect(cute_installed(), 1, "isCuteInstalled");
    expect(ws_installed(), 1, "isWSFTPInstalled");

    dlclose(library);
    if (failures == 0)
        printf("all six functions of %s answered as expected\n", argv[1]);
    return failures == 0 ? 0 : 1;
}
