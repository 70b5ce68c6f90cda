/* The interface of the site-list importer library libravelink.so: six C functions, exported by name.
 * Paths are 8-bit and zero-terminated. The import functions append profile-tree text ("NAME=" entries,
 * "#BRANCH"/"#EOB" around the children of a folder) to the target file and return
 *    1  success, text was appended
 *    0  out of memory while building the tree
 * -101  the source or the target cannot be opened, or the target not written (FTP Voyager, CuteFTP)
 * -102  a read error on the source, or (WS_FTP) the target cannot be opened or written
 * -103  a missing or empty argument
 * -104  nothing recognisable was found in the source
 * The detection functions return 1 when the program's registry key is found in the Wine prefix
 * ($WINEPREFIX, else ~/.wine), else 0.
 *
 * This header is C so that any program can use it; the library itself is C++. */
#ifndef KESTOVAN_RAVELINK_H
#define KESTOVAN_RAVELINK_H

#define RAVELINK_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Note the order: the target comes first here, unlike the other two. */
RAVELINK_API int importFTPV(const char* target, const char* source);
RAVELINK_API int importCuteFTP(const char* source, const char* target);
RAVELINK_API int importWSFTP(const char* source, const char* target);

RAVELINK_API int isFTPVInstalled(void);
RAVELINK_API int isCuteInstalled(void);
RAVELINK_API int isWSFTPInstalled(void);

typedef int (*ravelink_import_function)(const char*, const char*);
typedef int (*ravelink_detect_function)(void);

#ifdef __cplusplus
}
#endif

#endif
