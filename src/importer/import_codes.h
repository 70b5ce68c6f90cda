// The return codes of the importer library's import functions (see ravelink.h), shared by the library
// and the program that loads it.
#pragma once

namespace kestovan {

enum ImportCode : int {
    IMPORT_OK = 1,
    IMPORT_NO_MEMORY = 0,
    IMPORT_OPEN_FAILED = -101, // source or target cannot be opened (FTP Voyager, CuteFTP)
    IMPORT_READ_FAILED = -102, // read error on the source; for WS_FTP also the target
    IMPORT_MISSING_ARGUMENT = -103,
    IMPORT_UNRECOGNISED = -104, // nothing recognisable in the source
};

} // namespace kestovan
