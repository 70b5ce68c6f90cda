// The English string table: every user-visible text of the program, by number. The texts stand
// exactly as the program shows them in English (mnemonics, tabs before accelerator texts and
// printf placeholders included); translations are looked up by these texts (ui/language.h).
//
// Number ranges, one group per subsystem:
//     100-199    Shared captions, buttons and questions used by many windows
//    1000-1079   Main window: menu bar and its menus
//    1080-1099   Main window: tool-bar tooltips
//    1100-1129   Main window: button column
//    1130-1199   Main window: its dialogs and messages
//    1200-1299   Sessions, connecting and engine events
//    1300-1399   Session log, Tasks pane, terminal and the Command dialog
//    1400-1449   Transfer rate display and graph
//    1450-1499   Window titles and bookmarks
//    2000-2099   FTP engine: socket errors and status texts
//    2100-2149   Proxy and firewall choices and the SOCKS handshake
//    3000-3099   Transfer queue and config.ini
//    4000-4019   Remote listings
//    4020-4099   File panes: columns, buttons, context menus and their dialogs
//    4100-4119   Local file system
//    4120-4139   Directory compare
//    4140-4169   Permissions (CHMOD)
//    4170-4199   Automatic renaming
//    4200-4229   View, edit and execute
//    4230-4249   Folder transfers
//    4250-4259   Link harvesting
//    5000-5099   Site profiles and the profile folder
//    5100-5199   Profile manager
//    7000-7099   Settings and the Preferences dialog
//    7100-7149   Sound events
//    8000-8049   Languages of the Options > Language menu
//    9000-9049   Common text and file library
//   10000-10049  Web client
#pragma once

#include "ui/string_ids.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kestovan {

struct StringEntry {
    int id = 0;
    std::string_view text;
};

struct StringGroup {
    int first = 0;
    int last = 0;
    std::string_view title;
};

inline constexpr std::array STRING_GROUPS{
    StringGroup{100, 199, "Shared captions, buttons and questions used by many windows"},
    StringGroup{1000, 1079, "Main window: menu bar and its menus"},
    StringGroup{1080, 1099, "Main window: tool-bar tooltips"},
    StringGroup{1100, 1129, "Main window: button column"},
    StringGroup{1130, 1199, "Main window: its dialogs and messages"},
    StringGroup{1200, 1299, "Sessions, connecting and engine events"},
    StringGroup{1300, 1399, "Session log, Tasks pane, terminal and the Command dialog"},
    StringGroup{1400, 1449, "Transfer rate display and graph"},
    StringGroup{1450, 1499, "Window titles and bookmarks"},
    StringGroup{2000, 2099, "FTP engine: socket errors and status texts"},
    StringGroup{2100, 2149, "Proxy and firewall choices and the SOCKS handshake"},
    StringGroup{3000, 3099, "Transfer queue and config.ini"},
    StringGroup{4000, 4019, "Remote listings"},
    StringGroup{4020, 4099, "File panes: columns, buttons, context menus and their dialogs"},
    StringGroup{4100, 4119, "Local file system"},
    StringGroup{4120, 4139, "Directory compare"},
    StringGroup{4140, 4169, "Permissions (CHMOD)"},
    StringGroup{4170, 4199, "Automatic renaming"},
    StringGroup{4200, 4229, "View, edit and execute"},
    StringGroup{4230, 4249, "Folder transfers"},
    StringGroup{4250, 4259, "Link harvesting"},
    StringGroup{5000, 5099, "Site profiles and the profile folder"},
    StringGroup{5100, 5199, "Profile manager"},
    StringGroup{7000, 7099, "Settings and the Preferences dialog"},
    StringGroup{7100, 7149, "Sound events"},
    StringGroup{8000, 8049, "Languages of the Options > Language menu"},
    StringGroup{9000, 9049, "Common text and file library"},
    StringGroup{10000, 10049, "Web client"},
};

// Sorted by number. A plain array: deducing a std::array of this many elements is too deep for
// some compilers.
inline constexpr StringEntry STRING_TABLE[] = {
    // Shared captions, buttons and questions used by many windows
    StringEntry{IDS_APP_TITLE, "Kestovan FTP"},
    StringEntry{IDS_CAPTION_ERROR, "Error"},
    StringEntry{IDS_CAPTION_CONFIRMATION, "Confirmation"},
    StringEntry{IDS_CAPTION_NOT_CONNECTED, "Not Connected"},
    StringEntry{IDS_CAPTION_SITE_NOT_CONNECTED, "%s (Not Connected)"},
    StringEntry{IDS_BTN_OK, "OK"},
    StringEntry{IDS_BTN_CANCEL, "Cancel"},
    StringEntry{IDS_BTN_CANCEL_MNEMONIC, "&Cancel"},
    StringEntry{IDS_BTN_YES, "Yes"},
    StringEntry{IDS_BTN_NO, "No"},
    StringEntry{IDS_BTN_YES_TO_ALL, "Yes to All"},
    StringEntry{IDS_BTN_YES_TO_ALL_MNEMONIC, "Yes to &All"},
    StringEntry{IDS_BTN_RESTART, "Restart"},
    StringEntry{IDS_BTN_RESTART_MNEMONIC, "&Restart"},
    StringEntry{IDS_BTN_CLOSE, "Close"},
    StringEntry{IDS_BTN_HELP, "Help"},
    StringEntry{IDS_MENU_SELECT_ALL, "Select &All"},
    StringEntry{IDS_ASK_CONNECT_FIRST, "Would you like to establish a connection to the FTP server?"},
    StringEntry{IDS_ASK_TRANSFER_FOLDER,
                "Would you like to transfer the entire content of the %s directory?"},
    StringEntry{IDS_CAPTION_FILE_EXISTS, "File Exists"},
    StringEntry{IDS_ASK_REPLACE_FILE,
                "File '%s' already exists.  Would you like to replace this file with '%s'?"},
    StringEntry{IDS_CAPTION_CONFIRM_DELETE, "Confirm Delete"},
    StringEntry{IDS_ASK_DELETE_FTP_PROFILE, "Would you like to delete the FTP profile '%s'?"},
    StringEntry{IDS_ASK_DELETE_LINK, "Would you like to delete the link '%s'?"},
    StringEntry{IDS_ASK_DELETE_PROFILE_FOLDER, "Would you like to delete the Folder '%s' and its contents?"},
    StringEntry{IDS_ERR_OPEN_FOR_WRITING, "Unable to open file for writing."},
    StringEntry{IDS_ERR_OPEN_FILE, "Unable to open file."},
    StringEntry{IDS_ERR_MOVE_FILE, "Error moving file '%s' to '%s'"},
    StringEntry{IDS_CAPTION_UPLOAD_ERROR, "Upload Error"},
    StringEntry{IDS_MSG_UPLOAD_FAILED, "Upload Failed"},
    StringEntry{IDS_MSG_FAILED_FILE, "File:  "},
    StringEntry{IDS_MSG_FAILED_REASON, "Reason: "},

    // Main window: menu bar and its menus
    StringEntry{IDS_MENU_FILE, "&File"},
    StringEntry{IDS_MENU_EDIT, "&Edit"},
    StringEntry{IDS_MENU_VIEW, "&View"},
    StringEntry{IDS_MENU_COMMANDS, "&Commands"},
    StringEntry{IDS_MENU_TOOLS, "&Tools"},
    StringEntry{IDS_MENU_BOOKMARKS, "&Bookmarks"},
    StringEntry{IDS_MENU_OPTIONS, "&Options"},
    StringEntry{IDS_MENU_HELP, "&Help"},
    StringEntry{IDS_MENU_LANGUAGE, "&Language"},
    StringEntry{IDS_MENU_CONNECT, "&Connect"},
    StringEntry{IDS_MENU_DISCONNECT_ALL, "Disconnect &All"},
    StringEntry{IDS_MENU_SAVE_LOG, "&Save Log"},
    StringEntry{IDS_MENU_IMPORT, "Import"},
    StringEntry{IDS_MENU_QUIT, "&Quit"},
    StringEntry{IDS_MENU_COPY, "&Copy"},
    StringEntry{IDS_MENU_PASTE, "&Paste"},
    StringEntry{IDS_MENU_DELETE, "&Delete"},
    StringEntry{IDS_MENU_PROPERTIES, "Properties"},
    StringEntry{IDS_MENU_TOOLBAR, "&Toolbar"},
    StringEntry{IDS_MENU_SESSION_LOG, "Session &Log"},
    StringEntry{IDS_MENU_BUTTONS, "&Buttons"},
    StringEntry{IDS_MENU_PATH_FILTER, "&Path and Filename Filter"},
    StringEntry{IDS_MENU_BATCH_TRANSFER, "&Batch Transfer"},
    StringEntry{IDS_MENU_TERMINAL, "&Terminal"},
    StringEntry{IDS_MENU_MANUAL, "&Manual"},
    StringEntry{IDS_MENU_FAQ, "&FAQ"},

    // Main window: tool-bar tooltips
    StringEntry{IDS_TIP_CONNECT, "Connect"},
    StringEntry{IDS_TIP_HAMMER, "Hammer"},
    StringEntry{IDS_TIP_DISCONNECT, "Disconnect"},
    StringEntry{IDS_TIP_DISCONNECT_ALL, "Disconnect All"},
    StringEntry{IDS_TIP_COPY, "Copy"},
    StringEntry{IDS_TIP_PASTE, "Paste"},
    StringEntry{IDS_TIP_TERMINAL_WINDOW, "Terminal Window"},
    StringEntry{IDS_TIP_CREATE_DIRECTORY, "Create Directory (MKDIR)"},
    StringEntry{IDS_TIP_FILE_PERMISSIONS, "File Permissions (CHMOD)"},
    StringEntry{IDS_TIP_DELETE, "Delete"},
    StringEntry{IDS_TIP_FTP_COMMAND, "Ftp Command"},
    StringEntry{IDS_TIP_EXECUTE_FILE, "Execute File"},
    StringEntry{IDS_TIP_VIEW, "View"},
    StringEntry{IDS_TIP_DIRECTORY_INFO, "Directory Info (LIST)"},
    StringEntry{IDS_TIP_HELP, "Help"},
    StringEntry{IDS_TIP_DIRECTORY_COMPARE, "Directory Compare"},
    StringEntry{IDS_TIP_REFRESH, "Refresh"},
    StringEntry{IDS_TIP_GO_BACK, "Go Back"},

    // Main window: button column
    StringEntry{IDS_BTN_COLUMN_CONNECT, "&Connect"},
    StringEntry{IDS_BTN_COLUMN_HELP, "Help"},
    StringEntry{IDS_BTN_COLUMN_CHMOD, "ChMod"},
    StringEntry{IDS_BTN_COLUMN_MKDIR, "&MkDir"},
    StringEntry{IDS_BTN_COLUMN_RENAME, "&Rename"},
    StringEntry{IDS_BTN_COLUMN_DELETE, "Delete"},
    StringEntry{IDS_BTN_COLUMN_VIEW, "View"},
    StringEntry{IDS_BTN_COLUMN_EXEC, "E&xec"},
    StringEntry{IDS_BTN_COLUMN_COMMAND, "Comma&nd"},
    StringEntry{IDS_BTN_COLUMN_EDIT, "Edit"},
    StringEntry{IDS_BTN_COLUMN_DIR_INFO, "Dir &Info"},
    StringEntry{IDS_BTN_COLUMN_TERMINAL, "Terminal"},
    StringEntry{IDS_BTN_COLUMN_REFRESH, "Refresh"},
    StringEntry{IDS_BTN_COLUMN_COMPARE, "Com&pare"},
    StringEntry{IDS_BTN_COLUMN_FIND, "Find"},
    StringEntry{IDS_BTN_COLUMN_CHDIR, "ChDir"},

    // Main window: its dialogs and messages
    StringEntry{IDS_ERR_LOAD_PROJECT_FILE, "ERROR W103: Unable to load project file."},
    StringEntry{IDS_DLG_IMPORT, "Import"},
    StringEntry{IDS_IMPORT_FILTER, "FTP Voyager files (*.ftp)$*.ftp$CuteFTP files (*.dat)$*.dat$WS_FTP Files "
                                   "(*.ini)$*.ini$All files (*.*)$*.*$$"},
    StringEntry{IDS_CAPTION_UNKNOWN_FORMAT, "Unknown file format"},
    StringEntry{IDS_CAPTION_IMPORT_FAILED, "Import Failed"},
    StringEntry{IDS_CAPTION_FILE_ERROR, "File Error"},
    StringEntry{IDS_DLG_FIND_FILE, "Find File"},
    StringEntry{IDS_DLG_CHANGE_DIRECTORY, "Change Directory"},
    StringEntry{IDS_ERR_RECENT_PROFILE_GONE, "The profile file '%s' no longer exists."},
    StringEntry{IDS_ERR_NO_FAQ_ADDRESS, "No address is set for the FAQ in this installation."},
    StringEntry{IDS_DLG_CERTIFICATE, "Server Certificate"},
    StringEntry{IDS_CERT_INTRO, "The certificate of %s cannot be verified. Trust it only if you know it is "
                                "the server's own."},
    StringEntry{IDS_CERT_TRUST_ONCE, "Trust &once"},
    StringEntry{IDS_CERT_TRUST_ALWAYS, "&Always trust"},
    StringEntry{IDS_CAPTION_CERTIFICATE_CHANGED, "Certificate Changed"},

    // Sessions, connecting and engine events
    StringEntry{IDS_LOG_CANCEL, "Cancel"},
    StringEntry{IDS_LOG_TRANSFER_ABORTED, "Transfer aborted"},
    StringEntry{IDS_LOG_CONNECTING_TO, "\r\nConnecting to %s"},
    StringEntry{IDS_LOG_SPAWNING_CONNECTION, "Spawning Connection"},
    StringEntry{IDS_LOG_CONNECTED_TO, "Connected to %s"},
    StringEntry{IDS_LOG_DISCONNECTED_FROM, "Disconnected from %s"},
    StringEntry{IDS_LOG_CONNECT_TIMEOUT, "Connect Timeout"},
    StringEntry{IDS_BTN_CONNECT_VIEW, "View"},
    StringEntry{IDS_BTN_CONNECT_CANCEL, "Cancel"},
    StringEntry{IDS_BTN_CONNECT_DISCONNECT, "Disconnect"},
    StringEntry{IDS_BTN_CONNECT_HAMMER, "Hammer"},
    StringEntry{IDS_STATUS_DOWNLOADING, "Downloading"},
    StringEntry{IDS_STATUS_UPLOADING, "Uploading"},
    StringEntry{IDS_STATUS_WINSOCK_ERROR, "Winsock Error %i"},
    StringEntry{IDS_DLG_PASSWORD, "Password"},
    StringEntry{IDS_ASK_PASSWORD, "%s requires a Password:"},
    StringEntry{IDS_DLG_MOVE_FILE, "Move File"},
    StringEntry{IDS_PROMPT_MOVE_LOCAL, "Move '%s' to folder:"},
    StringEntry{IDS_PROMPT_MOVE_REMOTE, "Move '%s' to remote folder:"},
    StringEntry{IDS_LOG_CONNECT_FAILED, "Unable to connect to %s: %s"},
    StringEntry{IDS_LOG_LOGIN_FAILED, "Login failed: %s"},
    StringEntry{IDS_SOCKET_REFUSED, "the connection was refused (Winsock Error %i)"},
    StringEntry{IDS_SOCKET_TIMED_OUT, "the connection timed out (Winsock Error %i)"},
    StringEntry{IDS_SOCKET_UNREACHABLE, "the host or its network cannot be reached (Winsock Error %i)"},
    StringEntry{IDS_SOCKET_RESET, "the server reset the connection (Winsock Error %i)"},
    StringEntry{IDS_STATE_CONNECTED_ENCRYPTED, "(Connected, encrypted)"},
    StringEntry{IDS_STATUS_ENCRYPTED, "Encrypted (%s)"},
    StringEntry{IDS_CERT_SUBJECT, "Subject:"},
    StringEntry{IDS_CERT_ISSUER, "Issuer:"},
    StringEntry{IDS_CERT_VALID_FROM, "Valid from:"},
    StringEntry{IDS_CERT_VALID_UNTIL, "Valid until:"},
    StringEntry{IDS_CERT_FINGERPRINT, "SHA-256 fingerprint:"},
    StringEntry{IDS_CERT_REASON, "Reason:"},
    StringEntry{IDS_CERT_UNTRUSTED_ISSUER,
                "It is not issued by an authority this computer trusts (self-signed or unknown issuer)."},
    StringEntry{IDS_CERT_EXPIRED, "It has expired."},
    StringEntry{IDS_CERT_NOT_YET_VALID, "It is not valid yet."},
    StringEntry{IDS_CERT_NAME_MISMATCH, "It is made out to another name than %s."},
    StringEntry{IDS_CERT_OTHER_PROBLEM, "It cannot be verified: %s"},
    StringEntry{IDS_CAPTION_ENCRYPTION, "Encryption"},
    StringEntry{
        IDS_ASK_SWITCH_TO_PLAIN,
        "%s\r\n\r\nSwitch the profile '%s' to Plain FTP (insecure) and connect again? The password and "
        "the files will then go over the network in clear."},
    StringEntry{IDS_LOG_CERT_TRUSTED_ONCE, "Certificate trusted for this session: SHA-256 %s"},
    StringEntry{IDS_LOG_CERT_TRUSTED_ALWAYS, "Certificate trusted always: SHA-256 %s"},
    StringEntry{IDS_ERR_CERT_NOT_KEPT, "The trusted certificate could not be kept in %s."},

    // Session log, Tasks pane, terminal and the Command dialog
    StringEntry{IDS_TAB_SESSION_LOG, "Session Log"},
    StringEntry{IDS_TAB_TASKS, "Tasks"},
    StringEntry{IDS_TAB_BPS, "BPS"},
    StringEntry{IDS_MENU_LOG_CUT, "Cut"},
    StringEntry{IDS_MENU_LOG_COPY, "Copy"},
    StringEntry{IDS_MENU_LOG_PASTE, "Paste"},
    StringEntry{IDS_MENU_LOG_DELETE, "Delete"},
    StringEntry{IDS_MENU_LOG_CLEAR, "Clear"},
    StringEntry{IDS_MENU_LOG_FIND, "Find"},
    StringEntry{IDS_MENU_LOG_SELECT_ALL, "Select All"},
    StringEntry{IDS_COL_TASK, "Task"},
    StringEntry{IDS_COL_TASK_BYTES, "Bytes"},
    StringEntry{IDS_COL_TASK_PERCENT, "%"},
    StringEntry{IDS_COL_TASK_SIZE, "Size"},
    StringEntry{IDS_COL_TASK_SERVER, "Server"},
    StringEntry{IDS_COL_TASK_RATE, "KBps"},
    StringEntry{IDS_ERR_LOG_OUT_OF_MEMORY, "ERROR S112: Out of Memory"},
    StringEntry{IDS_DLG_SAVE_SESSION_LOG, "Save Session Log"},
    StringEntry{IDS_DLG_FIND, "Find"},
    StringEntry{IDS_CHECK_MATCH_CASE, "Match Case"},
    StringEntry{IDS_BTN_FIND_NEXT, "&Find Next"},
    StringEntry{IDS_ERR_STRING_NOT_FOUND, "Cannot find the string: '%s'"},
    StringEntry{IDS_DLG_COMMAND, "Command"},
    StringEntry{IDS_DLG_SESSION, "Session"},
    StringEntry{IDS_TITLE_SESSION, "Session - %s %s"},
    StringEntry{IDS_MENU_TASK_DISCONNECT, "Dis&connect"},

    // Transfer rate display and graph
    StringEntry{IDS_RATE_MBPS, "MBps"},
    StringEntry{IDS_RATE_KBPS, "KBps"},
    StringEntry{IDS_RATE_BPS, "Bps"},
    StringEntry{IDS_GRAPH_LABEL_KBP, "%d.%dKbp"},
    StringEntry{IDS_GRAPH_LABEL_BPS, "%dBps"},

    // Window titles and bookmarks
    StringEntry{IDS_TITLE_MAIN, "%s - %s"},
    StringEntry{IDS_STATE_CONNECTED, "(Connected)"},
    StringEntry{IDS_STATE_DISCONNECTED, "(Disconnected)"},
    StringEntry{IDS_MENU_ADD_BOOKMARK, "Add to Bookmarks"},
    StringEntry{IDS_MENU_DELETE_BOOKMARK, "Delete Bookmark"},
    StringEntry{IDS_BOOKMARK_NODE_NAME, "Bookmark"},

    // FTP engine: socket errors and status texts
    StringEntry{IDS_ERR_SOCKET_LISTEN, "Error L101: Socket Error (listen)"},
    StringEntry{IDS_ERR_SOCKET_CREATE, "Error L102: Unable to get Socket (socket)"},
    StringEntry{IDS_ERR_SOCKET_BIND, "Error L103: Unable to bind socket (bind)"},
    StringEntry{IDS_ERR_SOCKET_SELECT, "Error L104: Registering Socket Failed (WSAAsyncSelect)"},
    StringEntry{IDS_ERR_SOCKET_NAME, "Error L105: Unable to get socket info. (getsockname)"},
    StringEntry{IDS_ERR_SOCKET_MEMORY, "Error L106: Out of Memory"},
    StringEntry{IDS_STATUS_HOST_NOT_FOUND, "Host Not Found"},
    StringEntry{IDS_STATUS_NO_SOCKET_WAITING, "Unable to get socket (waiting)"},
    StringEntry{IDS_STATUS_ADDRESS_TRANSLATION, "Address translation error"},
    StringEntry{IDS_STATUS_REQUEST_SEND_FAILED, "Request send Failed (%i)"},
    StringEntry{IDS_STATUS_CONNECTED_TO, "Connected to %s"},
    StringEntry{IDS_STATUS_LISTENER_WINSOCK_ERROR, "Winsock Error %i"},
    StringEntry{IDS_ERR_ARGUMENT_LINE_BREAK, "The command was not sent: its argument holds a line break."},
    StringEntry{IDS_LOG_ACTIVE_THROUGH_SOCKS,
                "Active mode cannot pass through a SOCKS proxy; this transfer uses passive mode."},
    StringEntry{IDS_LOG_DATA_FROM_STRANGER, "Data connection from %s refused: it is not the server."},
    StringEntry{IDS_ERR_PASV_NO_ADDRESS, "The server's reply to PASV names no valid data address: %s"},
    StringEntry{IDS_LOG_PASV_OTHER_ADDRESS, "The server's passive reply names %s; connecting to %s instead."},
    StringEntry{IDS_ERR_READ_LOCAL_FILE, "Unable to read the local file: %s"},
    StringEntry{IDS_ERR_TRANSFER_INCOMPLETE,
                "Transfer incomplete: %i of %i bytes received. The partial file was kept."},
    StringEntry{IDS_ERR_DATA_CONNECTION_FAILED, "Data connection failed (Winsock Error %i)"},
    StringEntry{IDS_ERR_WRITE_LOCAL_FILE, "Unable to write to the local file: %s"},
    StringEntry{IDS_ERR_TRANSFER_TIMED_OUT,
                "The transfer timed out: nothing arrived within the server time-out."},
    StringEntry{IDS_ERR_REPLY_TOO_LONG, "The server's reply is too long; the connection was closed."},
    StringEntry{IDS_ERR_LISTING_TOO_LARGE, "The listing is too large; the transfer was stopped."},
    StringEntry{IDS_ERR_REPLY_WITHOUT_END,
                "The server sent a reply line without end; the connection was closed."},
    StringEntry{IDS_LOG_TLS_ESTABLISHED, "Encrypted connection: %s, cipher %s"},
    StringEntry{IDS_LOG_TLS_PLAIN_FALLBACK,
                "The server does not offer TLS (%s). This session is NOT encrypted: the password and the "
                "files go in clear."},
    StringEntry{IDS_ERR_TLS_REFUSED,
                "The server refused AUTH TLS (%s). The session ended before the user name and password "
                "were sent."},
    StringEntry{IDS_ERR_TLS_HANDSHAKE,
                "TLS with %s failed: %s. The session ended before the user name and password were sent."},
    StringEntry{IDS_ERR_TLS_CERTIFICATE_CHANGED,
                "The certificate of %s has changed since you chose to trust it always. The connection was "
                "refused. Trusted: %s. Offered now: %s."},
    StringEntry{IDS_ERR_TLS_CERTIFICATE_NOT_TRUSTED,
                "The certificate of %s (SHA-256 %s) is not trusted. The session ended before the user name "
                "and password were sent."},
    StringEntry{IDS_ERR_TLS_NO_CERTIFICATE,
                "%s offered no certificate. The session ended before the user name and password were sent."},
    StringEntry{IDS_ERR_TLS_DATA_CERTIFICATE,
                "The data connection offered another certificate (SHA-256 %s) than the session trusts; the "
                "transfer was stopped."},
    StringEntry{IDS_ERR_TLS_BROKEN, "TLS error: %s"},
    StringEntry{IDS_ERR_TLS_NO_SESSION, "no TLS session could be made"},
    StringEntry{IDS_ERR_TLS_PEER_CLOSED, "the server closed the connection"},
    StringEntry{IDS_ERR_LOCAL_FILE_SHRANK,
                "The local file became shorter while it was sent: %i of %i bytes went."},
    StringEntry{IDS_ERR_RESUME_BEYOND_END,
                "The local file (%i bytes) is larger than the server's (%i bytes); it was left as it was."},
    StringEntry{IDS_ERR_UPLOAD_NOT_ASKED,
                "The server ended the upload before it asked for the data; nothing was sent."},
    StringEntry{IDS_ERR_OPEN_LOCAL_FILE, "Unable to open the local file %s: %s"},

    // Proxy and firewall choices and the SOCKS handshake
    StringEntry{IDS_PROXY_NONE, "None"},
    StringEntry{IDS_PROXY_FTP_SERVER, "Proxy Server"},
    StringEntry{IDS_PROXY_SOCKS4, "Socks4"},
    StringEntry{IDS_PROXY_SOCKS5, "Socks5"},
    StringEntry{IDS_SOCKS4_NOT_SOCKS4,
                "The SOCKS 4 proxy sent an answer that is not SOCKS 4 (first byte %i)."},
    StringEntry{IDS_SOCKS4_REFUSED, "The SOCKS 4 proxy refused the connection (status %i: %s)."},
    StringEntry{IDS_SOCKS4_STATUS_REJECTED, "request rejected or failed"},
    StringEntry{IDS_SOCKS4_STATUS_NO_IDENTD, "the proxy cannot reach our identd"},
    StringEntry{IDS_SOCKS4_STATUS_OTHER_USER, "identd reports another user id"},
    StringEntry{IDS_SOCKS4_STATUS_UNKNOWN, "unknown status"},
    StringEntry{IDS_SOCKS5_CREDENTIALS_TOO_LONG,
                "The SOCKS 5 user name and password may have at most 255 bytes each."},
    StringEntry{IDS_SOCKS5_NOT_SOCKS5, "The SOCKS 5 proxy sent an answer that is not SOCKS 5 (version %i)."},
    StringEntry{IDS_SOCKS5_NO_CREDENTIALS,
                "The SOCKS 5 proxy asks for a user name and password, but none is set."},
    StringEntry{IDS_SOCKS5_NO_METHOD,
                "The SOCKS 5 proxy accepts none of the offered authentication methods (method %i)."},
    StringEntry{IDS_SOCKS5_AUTH_REFUSED, "The SOCKS 5 proxy refused the user name or password (status %i)."},
    StringEntry{IDS_SOCKS5_CONNECT_FAILED,
                "The SOCKS 5 proxy could not connect to the server (reply %i: %s)."},
    StringEntry{IDS_SOCKS5_REPLY_GENERAL_FAILURE, "general failure"},
    StringEntry{IDS_SOCKS5_REPLY_NOT_ALLOWED, "not allowed by the proxy's rules"},
    StringEntry{IDS_SOCKS5_REPLY_NETWORK_UNREACHABLE, "network unreachable"},
    StringEntry{IDS_SOCKS5_REPLY_HOST_UNREACHABLE, "host unreachable"},
    StringEntry{IDS_SOCKS5_REPLY_CONNECTION_REFUSED, "connection refused"},
    StringEntry{IDS_SOCKS5_REPLY_TTL_EXPIRED, "TTL expired"},
    StringEntry{IDS_SOCKS5_REPLY_COMMAND_NOT_SUPPORTED, "command not supported"},
    StringEntry{IDS_SOCKS5_REPLY_ADDRESS_TYPE_NOT_SUPPORTED, "address type not supported"},
    StringEntry{IDS_SOCKS5_REPLY_UNKNOWN, "unknown reply"},
    StringEntry{IDS_SOCKS5_UNKNOWN_ADDRESS_TYPE,
                "The SOCKS 5 proxy answered with an unknown address type (%i)."},
    StringEntry{IDS_SOCKS_DATA_UNASKED, "The proxy sent data before it was asked for anything."},
    StringEntry{IDS_SOCKS_CLOSED, "The proxy closed the connection before the handshake was complete."},
    StringEntry{IDS_GROUP_PROXY_TYPE, "Proxy Type"},
    StringEntry{IDS_LABEL_PROXY_HOST, "Firewall/Proxy Host:"},
    StringEntry{IDS_LABEL_PROXY_PORT, "Firewall/Proxy Port:"},
    StringEntry{IDS_LABEL_PROXY_USER, "Proxy User Name:"},
    StringEntry{IDS_LABEL_PROXY_PASSWORD, "Proxy Password:"},
    StringEntry{IDS_GROUP_HTTP_PROXY, "HTTP Proxy (web pages and URL profiles)"},
    StringEntry{IDS_LABEL_HTTP_PROXY_SERVER, "HTTP Proxy Server:"},
    StringEntry{IDS_LABEL_HTTP_PROXY_PORT, "HTTP Proxy Port:"},

    // Transfer queue and config.ini
    StringEntry{IDS_DLG_BATCH_TRANSFER, "Batch Transfer"},
    StringEntry{IDS_BTN_START, "Start"},
    StringEntry{IDS_BTN_STOP, "Stop"},
    StringEntry{IDS_BTN_CLEAR, "Clear"},
    StringEntry{IDS_COL_BATCH_STATE, "#"},
    StringEntry{IDS_COL_BATCH_SOURCE, "Source"},
    StringEntry{IDS_COL_BATCH_DESTINATION, "Destination"},
    StringEntry{IDS_COL_BATCH_SIZE, "Size"},
    StringEntry{IDS_COL_BATCH_FILENAME, "Filename"},
    StringEntry{IDS_BATCH_NODE_NAME, "Batch"},
    StringEntry{IDS_ERR_CONFIG_WRITE, "ERROR W114: Unable to open file 'config.ini'"},

    // Remote listings
    StringEntry{IDS_STATUS_SORTING, "Sorting Directory. Please Wait......."},
    StringEntry{IDS_ERR_DIRECTORY_COMMAND_F101, "ERROR F101: Directory Command Failed"},

    // File panes: columns, buttons, context menus and their dialogs
    StringEntry{IDS_COL_REMOTE_KIND, "#"},
    StringEntry{IDS_COL_REMOTE_FILE, "File:"},
    StringEntry{IDS_COL_REMOTE_SIZE, "Size:"},
    StringEntry{IDS_COL_REMOTE_DATE, "Date:"},
    StringEntry{IDS_COL_REMOTE_PRIVS, "Privs:"},
    StringEntry{IDS_COL_REMOTE_LEVEL, "Level:"},
    StringEntry{IDS_COL_REMOTE_OWNER, "Owner:"},
    StringEntry{IDS_COL_REMOTE_GROUP, "Group:"},
    StringEntry{IDS_COL_LOCAL_KIND, "#"},
    StringEntry{IDS_COL_LOCAL_FILENAME, "Filename"},
    StringEntry{IDS_COL_LOCAL_SIZE, "Size"},
    StringEntry{IDS_COL_LOCAL_DATE, "Date"},
    StringEntry{IDS_BTN_DOWNLOAD_SELECTION, "<<"},
    StringEntry{IDS_BTN_UPLOAD_SELECTION, ">>"},
    StringEntry{IDS_RADIO_ASCII, "Ascii"},
    StringEntry{IDS_RADIO_BINARY, "Binary"},
    StringEntry{IDS_MENU_PANE_OPTIONS, "Options"},
    StringEntry{IDS_MENU_UPLOAD, "&Upload"},
    StringEntry{IDS_MENU_ADD_TO_BATCH, "Add to &Batch"},
    StringEntry{IDS_MENU_OPEN, "&Open"},
    StringEntry{IDS_MENU_VIEW_FILE, "&View"},
    StringEntry{IDS_MENU_EDIT_FILE, "&Edit"},
    StringEntry{IDS_MENU_LOCAL_PASTE, "Paste"},
    StringEntry{IDS_MENU_REMOTE_DELETE, "Delete"},
    StringEntry{IDS_MENU_RENAME, "&Rename"},
    StringEntry{IDS_MENU_APPEND_FILE, "&Append File"},
    StringEntry{IDS_MENU_MOVE_FILE, "&Move File"},
    StringEntry{IDS_MENU_CREATE_DIRECTORY, "&Create Directory"},
    StringEntry{IDS_MENU_REFRESH_LOCAL, "Re&fresh"},
    StringEntry{IDS_MENU_CONNECT_SITE, "Connec&t"},
    StringEntry{IDS_MENU_DISCONNECT, "&Disconnect"},
    StringEntry{IDS_MENU_HAMMER, "&Hammer"},
    StringEntry{IDS_MENU_HAMMER_STOP, "Hammer - &Stop"},
    StringEntry{IDS_MENU_DOWNLOAD_ROWS, "Down&load"},
    StringEntry{IDS_MENU_DOWNLOAD_FOLDER, "&Download"},
    StringEntry{IDS_MENU_CREATE_DIRECTORY_MKDIR, "Create Directory \tMKDIR"},
    StringEntry{IDS_MENU_FILE_PERMISSIONS_CHMOD, "File Permissions\tchmod"},
    StringEntry{IDS_MENU_DIRECTORY_INFO_LIST, "Directory &Info\tLIST"},
    StringEntry{IDS_MENU_OTHER_COMMAND, "&Other"},
    StringEntry{IDS_MENU_REFRESH, "&Refresh"},
    StringEntry{IDS_DLG_CREATE_DIRECTORY, "Create Directory"},
    StringEntry{IDS_PROMPT_NEW_DIRECTORY, "Enter new Directory name:"},
    StringEntry{IDS_PROMPT_FTP_COMMAND, "Enter FTP Server command:"},
    StringEntry{IDS_ASK_DELETE_FOLDER, "Would you like to delete the '%s' folder and its contents?"},
    StringEntry{IDS_ASK_DELETE_FILE, "Would you like to delete the file '%s'?"},
    StringEntry{IDS_PLACEHOLDER_FILE_MASK, "File name filter"},

    // Local file system
    StringEntry{IDS_NEW_FOLDER_NAME, "New Folder"},

    // Directory compare
    StringEntry{IDS_MENU_DIRECTORY_COMPARE, "&Directory Compare\tF11"},
    StringEntry{IDS_MENU_COMPARE, "&Compare\tF11"},
    StringEntry{IDS_STATUS_FILE_COMPARE, "File Compare: Local: %i files, Remote: %i files"},

    // Permissions (CHMOD)
    StringEntry{IDS_DLG_CHMOD, "CHMOD"},
    StringEntry{IDS_MENU_FILE_PERMISSIONS, "File Permissions\t(chmod)"},
    StringEntry{IDS_CHMOD_READ, "Read"},
    StringEntry{IDS_CHMOD_WRITE, "Write"},
    StringEntry{IDS_CHMOD_EXECUTE, "Execute"},
    StringEntry{IDS_CHMOD_OWNER, "Owner"},
    StringEntry{IDS_CHMOD_GROUP, "Group"},
    StringEntry{IDS_CHMOD_OTHER, "Other"},
    StringEntry{IDS_TITLE_CHMOD, "CHMOD %i %s"},

    // Automatic renaming
    StringEntry{IDS_PAGE_RENAME_MASKS, "Set Rename Masks:"},
    StringEntry{IDS_COL_RENAME_LOCAL, "Local"},
    StringEntry{IDS_COL_RENAME_REMOTE, "Remote"},
    StringEntry{IDS_COL_RENAME_ENABLED, "Enabled"},
    StringEntry{IDS_CHECK_RENAME_ENABLED, "Enabled"},
    StringEntry{IDS_BTN_RENAME_NEW, "New"},
    StringEntry{IDS_MENU_RENAME_NEW, "New"},
    StringEntry{IDS_MENU_RENAME_DELETE, "Delete"},
    StringEntry{IDS_LABEL_RENAME_LOCAL, "Local Mask:"},
    StringEntry{IDS_LABEL_RENAME_REMOTE, "Remote Mask:"},

    // View, edit and execute
    StringEntry{IDS_MENU_EXECUTE, "E&xecute"},
    StringEntry{IDS_MENU_DIRECTORY_INFO, "Directory Info"},
    StringEntry{IDS_ERR_ALREADY_EDITING, "You are already editing a file"},
    StringEntry{IDS_DLG_APPEND_FILE, "Append File"},
    StringEntry{IDS_PROMPT_APPEND, "Append '%s' to:"},
    StringEntry{IDS_ERR_SCRATCH_NAME, "Unable to open '%s': the name cannot be used for a local file"},
    StringEntry{IDS_MSG_EDIT_KEPT, "Your changes are kept in '%s'."},
    StringEntry{IDS_MSG_EDIT_WATCHING, "The editor runs on its own: each time '%s' is saved there, it is "
                                       "uploaded to '%s'. Press Done when you have finished editing."},
    StringEntry{IDS_DLG_EDITING, "Editing"},
    StringEntry{IDS_BTN_DONE, "Done"},

    // Folder transfers
    StringEntry{IDS_ERR_CREATE_LOCAL_DIRECTORY, "Unable to create directory %s"},
    StringEntry{IDS_ERR_DIRECTORY_COMMAND_F102, "ERROR F102: Directory Command Failed"},
    StringEntry{IDS_LOG_NAME_REFUSED, "Skipped '%s': the name cannot be used for a local file"},
    StringEntry{IDS_LOG_LINK_OUTSIDE, "Skipped '%s': a symbolic link there leads outside '%s'"},
    StringEntry{IDS_LOG_FOLDER_LOOP,
                "Folder '%s' not followed: this transfer has already visited it (a symbolic link loop)"},
    StringEntry{IDS_LOG_FOLDER_TOO_DEEP, "Folder '%s' not followed: it lies more than %i folders deep"},
    StringEntry{IDS_ERR_PROFILE_IN_USE, "'%s' has an open session. Disconnect it before deleting it."},
    StringEntry{IDS_ERR_PROFILE_NOT_DELETED, "'%s' could not be deleted."},

    // Link harvesting
    StringEntry{IDS_MSG_NO_FILE_LINKS, "No file links have been found at '%s'"},

    // Site profiles and the profile folder
    StringEntry{IDS_ERR_CREATE_FILE, "Unable to create file '%s'"},
    StringEntry{IDS_DEFAULT_FTP_PROFILE_NAME, "New FTP profile"},
    StringEntry{IDS_DEFAULT_LINK_NAME, "New Link"},
    StringEntry{IDS_DEFAULT_FOLDER_NAME, "Folder"},
    StringEntry{IDS_ERR_CREATE_PROFILE, "Unable to create a new FTP profile '%s'."},

    // Profile manager
    StringEntry{IDS_DLG_PROFILE_MANAGER, "Profile Manager"},
    StringEntry{IDS_PAGE_FTP_SERVER, "Ftp Server"},
    StringEntry{IDS_PAGE_URL, "URL"},
    StringEntry{IDS_PAGE_FOLDER, "Folder"},
    StringEntry{IDS_LABEL_PROFILE_NAME, "Profile Name:"},
    StringEntry{IDS_LABEL_HOST_ADDRESS, "Host Address:"},
    StringEntry{IDS_LABEL_PORT, "Port:"},
    StringEntry{IDS_LABEL_USERNAME, "Username:"},
    StringEntry{IDS_LABEL_PASSWORD, "Password:"},
    StringEntry{IDS_LABEL_ACCOUNT, "Account:"},
    StringEntry{IDS_LABEL_LOCAL_DIRECTORY, "Local Directory:"},
    StringEntry{IDS_LABEL_REMOTE_DIRECTORY, "Remote Directory:"},
    StringEntry{IDS_LABEL_COMMENT, "Comment:"},
    StringEntry{IDS_CHECK_ANONYMOUS_LOGIN, "Anonymous Login"},
    StringEntry{IDS_CHECK_SAVE_PASSWORD, "Save Password"},
    StringEntry{IDS_CHECK_PASSIVE_MODE, "Use Passive Transfer Mode PASV"},
    StringEntry{IDS_CHECK_LOWER_CASE_FILENAMES, "Convert filenames to Lower case"},
    StringEntry{IDS_CHECK_LOWER_CASE_DIRECTORIES, "Convert directories to Lower case"},
    StringEntry{IDS_LABEL_URL_TITLE, "URL Title:"},
    StringEntry{IDS_LABEL_URL, "URL:"},
    StringEntry{IDS_LABEL_FOLDER_TITLE, "Folder Title:"},
    StringEntry{IDS_PM_CONNECT, "Connect"},
    StringEntry{IDS_PM_HAMMER, "Hammer"},
    StringEntry{IDS_PM_NEW_FTP_PROFILE, "New FTP Profile"},
    StringEntry{IDS_PM_NEW_LINK, "New Link"},
    StringEntry{IDS_PM_NEW_FOLDER, "New Folder"},
    StringEntry{IDS_PM_COPY, "Copy"},
    StringEntry{IDS_PM_PASTE, "Paste"},
    StringEntry{IDS_PM_RENAME, "Rename"},
    StringEntry{IDS_PM_DELETE, "Delete"},
    StringEntry{IDS_PM_SAVE, "Save"},
    StringEntry{IDS_PM_CLOSE, "Close"},
    StringEntry{IDS_PM_NEW, "New"},
    StringEntry{IDS_PM_CAPTION_SESSION_PROFILE, "Session Profile"},
    StringEntry{IDS_PM_CAPTION_URL_PROFILE, "URL Profile"},
    StringEntry{IDS_ERR_RENAME_PROFILE, "Unable to rename '%s' to '%s'"},
    StringEntry{IDS_LABEL_ENCRYPTION, "&Encryption:"},
    StringEntry{IDS_ENCRYPTION_EXPLICIT, "Require explicit TLS"},
    StringEntry{IDS_ENCRYPTION_IMPLICIT, "Implicit TLS"},
    StringEntry{IDS_ENCRYPTION_IF_AVAILABLE, "Explicit TLS if available"},
    StringEntry{IDS_ENCRYPTION_PLAIN, "Plain FTP (insecure)"},

    // Settings and the Preferences dialog
    StringEntry{IDS_DLG_PREFERENCES, "Kestovan FTP Preferences"},
    StringEntry{IDS_MENU_PREF_SETTINGS, "&Settings"},
    StringEntry{IDS_MENU_PREF_OPTIONS, "&Options"},
    StringEntry{IDS_MENU_PREF_PROXY, "&Proxy/Firewall Settings"},
    StringEntry{IDS_MENU_PREF_SOUND, "Soun&d"},
    StringEntry{IDS_MENU_PREF_AUTO_RENAME, "&Auto Rename"},
    StringEntry{IDS_PAGE_SETTINGS, "Settings"},
    StringEntry{IDS_PAGE_OPTIONS, "Options"},
    StringEntry{IDS_PAGE_FIREWALL_PROXY, "Firewall/Proxy"},
    StringEntry{IDS_PAGE_SOUND, "Sound"},
    StringEntry{IDS_PAGE_AUTO_RENAME, "Auto-Rename"},
    StringEntry{IDS_LABEL_BROWSER, "Browser:"},
    StringEntry{IDS_LABEL_ANONYMOUS_EMAIL, "Anonymous Login Email:"},
    StringEntry{IDS_LABEL_HAMMER_DELAY, "Connection Hammer Delay (milliseconds):"},
    StringEntry{IDS_LABEL_HAMMER_COUNT, "Hammer Retry Count:"},
    StringEntry{IDS_LABEL_SERVER_TIMEOUT, "Server Timeout Delay (milliseconds):"},
    StringEntry{IDS_CHECK_NEW_BROWSER_WINDOW, "Open HTML pages in new browser window"},
    StringEntry{IDS_CHECK_AUTO_REFRESH, "Auto refresh remote directory listing"},
    StringEntry{IDS_CHECK_SORT_LISTINGS, "Sort directory listings "},
    StringEntry{IDS_ERR_BROWSER,
                "Unable to open the specified Browser. Please check the Preferences from the Options menu."},
    StringEntry{IDS_CAPTION_BROWSER_ERROR, "Browser Error"},

    // Sound events
    StringEntry{IDS_SOUND_PROGRAM_START, "ProgramStart"},
    StringEntry{IDS_SOUND_PROGRAM_EXIT, "ProgramExit"},
    StringEntry{IDS_SOUND_FTP_CONNECT, "FtpConnect"},
    StringEntry{IDS_SOUND_FTP_DISCONNECT, "FtpDisconnect"},
    StringEntry{IDS_SOUND_FTP_UPLOAD, "FtpUpload"},
    StringEntry{IDS_SOUND_FTP_DOWNLOAD, "FtpDownload"},
    StringEntry{IDS_SOUND_FTP_ERROR, "FtpError"},
    StringEntry{IDS_COL_SOUND_EVENT, "Event"},
    StringEntry{IDS_COL_SOUND_FILE, "Sound"},
    StringEntry{IDS_LABEL_ASSIGN_SOUND, "Assign Sound to Event:"},
    StringEntry{IDS_BTN_PLAY, "Play"},
    StringEntry{IDS_BTN_BROWSE, "Browse"},
    StringEntry{IDS_DLG_OPEN_SOUND_FILE, "Open Sound File"},
    StringEntry{IDS_SOUND_FILE_FILTER, "Wave File (*.wav)$*.wav$$"},
    StringEntry{IDS_SOUND_FILE_FILTER_ALL, "Sound File (*.wav;*.oga;*.ogg)$*.wav;*.oga;*.ogg$"},

    // Languages of the Options > Language menu
    StringEntry{IDS_LANGUAGE_ENGLISH, "English"},
    StringEntry{IDS_LANGUAGE_ARABIC, "العربية"},
    StringEntry{IDS_LANGUAGE_CZECH, "Čeština"},
    StringEntry{IDS_LANGUAGE_DUTCH, "Nederlands"},
    StringEntry{IDS_LANGUAGE_FRENCH, "Français"},
    StringEntry{IDS_LANGUAGE_GERMAN, "Deutsch"},
    StringEntry{IDS_LANGUAGE_GREEK, "Ελληνικά"},
    StringEntry{IDS_LANGUAGE_ITALIAN, "Italiano"},
    StringEntry{IDS_LANGUAGE_JAPANESE, "日本語"},
    StringEntry{IDS_LANGUAGE_KOREAN, "한국어"},
    StringEntry{IDS_LANGUAGE_PORTUGUESE, "Português"},
    StringEntry{IDS_LANGUAGE_SPANISH, "Español"},
    StringEntry{IDS_LANGUAGE_SWEDISH, "Svenska"},

    // Common text and file library
    StringEntry{IDS_ERR_READ_OUT_OF_MEMORY, "Out of memory error"},
    StringEntry{IDS_EXCEPTION_OUT_OF_MEMORY, "Out of Memory"},
    StringEntry{IDS_EXCEPTION_OUT_OF_BOUNDS, "Out of array bounds"},

    // Web client
    StringEntry{IDS_WEB_ADDRESS_TRANSLATION, "Address Translation Error"},
    StringEntry{IDS_WEB_REQUEST_SEND_FAILED, "Request Send failed (%i)"},
    StringEntry{IDS_WEB_OUT_OF_MEMORY, "Error TH112: Out of memory"},
    StringEntry{IDS_WEB_NO_SOCKET, "Unable to get socket."},
    StringEntry{IDS_WEB_HOST_NOT_FOUND, "Host Not Found"},
    StringEntry{IDS_WEB_DOWNLOADING, "Downloading"},
    StringEntry{IDS_WEB_SOCKS_SEND_FAILED, "Request send Failed (%i)"},
    StringEntry{IDS_WEB_NOT_HTTP_ADDRESS, "Only http:// and https:// addresses can be fetched: '%s'"},
    StringEntry{IDS_WEB_TIMED_OUT, "The request to %s timed out."},
    StringEntry{IDS_WEB_SOCKET_ERROR, "Socket error %i (%s)"},
    StringEntry{IDS_WEB_PROXY_NOT_PERMITTED, "The proxy %s may not be reached from here."},
    StringEntry{IDS_WEB_SOCKS4_NO_HTTPS, "A SOCKS 4 proxy cannot carry https:// requests."},
    StringEntry{IDS_WEB_HOST_NOT_PERMITTED, "The host %s may not be reached from here."},
    StringEntry{IDS_WEB_HEADERS_WITHOUT_END,
                "The server sent more than %i KiB of headers without an end; the request was stopped."},
    StringEntry{IDS_WEB_CREATE_FILE, "Unable to create file '%s' (%s)"},
    StringEntry{IDS_WEB_WRITE_FILE, "Unable to write file '%s' (%s)"},
    StringEntry{IDS_WEB_PAGE_TOO_LARGE, "Error TH112: Out of memory (the page is larger than %i MiB)"},
    StringEntry{IDS_WEB_NO_ANSWER, "The server closed the connection without an answer."},
    StringEntry{IDS_WEB_BODY_CUT_SHORT, "The transfer ended after %i of %i bytes."},
    StringEntry{IDS_WEB_NOT_HTTP_ANSWER, "The server's answer is not HTTP."},
    StringEntry{IDS_WEB_STATUS_CODE, "The server answered %i."},
};

namespace detail {
constexpr bool string_table_is_sorted()
{
    return std::adjacent_find(std::begin(STRING_TABLE), std::end(STRING_TABLE),
                              [](const StringEntry& a, const StringEntry& b) { return a.id >= b.id; }) ==
           std::end(STRING_TABLE);
}
} // namespace detail
static_assert(detail::string_table_is_sorted(), "string table numbers must be unique and ascending");

// The English text of a number, or nullopt when the table has no such entry.
[[nodiscard]] constexpr std::optional<std::string_view> english_text(int id)
{
    const auto* it = std::lower_bound(std::begin(STRING_TABLE), std::end(STRING_TABLE), id,
                                      [](const StringEntry& entry, int key) { return entry.id < key; });
    if (it == std::end(STRING_TABLE) || it->id != id)
        return std::nullopt;
    return it->text;
}

// Every entry, by number.
[[nodiscard]] std::span<const StringEntry> string_table();

// Every number of the table, ascending (coverage checks walk it).
[[nodiscard]] std::vector<int> all_string_ids();

} // namespace kestovan
