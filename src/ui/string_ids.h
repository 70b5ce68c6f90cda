// The numbers of the user-visible texts: the code names a text by its constant, the string table
// (ui/string_table.h) holds the English text, and load_string() returns it translated.
// Groups follow the subsystems; the ranges are listed at the top of ui/string_table.h. A text that
// is used in two roles (a menu item and a tool-bar tip, say) has one number per role.
#pragma once

namespace kestovan {

// Shared captions, buttons and questions used by many windows (100-199)
constexpr int IDS_APP_TITLE = 100;
constexpr int IDS_CAPTION_ERROR = 101;
constexpr int IDS_CAPTION_CONFIRMATION = 102;
constexpr int IDS_CAPTION_NOT_CONNECTED = 103;
constexpr int IDS_CAPTION_SITE_NOT_CONNECTED = 104;
constexpr int IDS_BTN_OK = 105;
constexpr int IDS_BTN_CANCEL = 106;
constexpr int IDS_BTN_CANCEL_MNEMONIC = 107;
constexpr int IDS_BTN_YES = 108;
constexpr int IDS_BTN_NO = 109;
constexpr int IDS_BTN_YES_TO_ALL = 110;
constexpr int IDS_BTN_YES_TO_ALL_MNEMONIC = 111;
constexpr int IDS_BTN_RESTART = 112;
constexpr int IDS_BTN_RESTART_MNEMONIC = 113;
constexpr int IDS_BTN_CLOSE = 114;
constexpr int IDS_BTN_HELP = 115;
constexpr int IDS_MENU_SELECT_ALL = 116;
constexpr int IDS_ASK_CONNECT_FIRST = 117;
constexpr int IDS_ASK_TRANSFER_FOLDER = 118;
constexpr int IDS_CAPTION_FILE_EXISTS = 119;
constexpr int IDS_ASK_REPLACE_FILE = 120;
constexpr int IDS_CAPTION_CONFIRM_DELETE = 121;
constexpr int IDS_ASK_DELETE_FTP_PROFILE = 122;
constexpr int IDS_ASK_DELETE_LINK = 123;
constexpr int IDS_ASK_DELETE_PROFILE_FOLDER = 124;
constexpr int IDS_ERR_OPEN_FOR_WRITING = 125;
constexpr int IDS_ERR_OPEN_FILE = 126;
constexpr int IDS_ERR_MOVE_FILE = 127;
constexpr int IDS_CAPTION_UPLOAD_ERROR = 128;
constexpr int IDS_MSG_UPLOAD_FAILED = 129;
constexpr int IDS_MSG_FAILED_FILE = 130;
constexpr int IDS_MSG_FAILED_REASON = 131;

// Main window: menu bar and its menus (1000-1079)
constexpr int IDS_MENU_FILE = 1000;
constexpr int IDS_MENU_EDIT = 1001;
constexpr int IDS_MENU_VIEW = 1002;
constexpr int IDS_MENU_COMMANDS = 1003;
constexpr int IDS_MENU_TOOLS = 1004;
constexpr int IDS_MENU_BOOKMARKS = 1005;
constexpr int IDS_MENU_OPTIONS = 1006;
constexpr int IDS_MENU_HELP = 1007;
constexpr int IDS_MENU_LANGUAGE = 1008;
constexpr int IDS_MENU_CONNECT = 1009;
constexpr int IDS_MENU_DISCONNECT_ALL = 1010;
constexpr int IDS_MENU_SAVE_LOG = 1011;
constexpr int IDS_MENU_IMPORT = 1012;
constexpr int IDS_MENU_QUIT = 1013;
constexpr int IDS_MENU_COPY = 1014;
constexpr int IDS_MENU_PASTE = 1015;
constexpr int IDS_MENU_DELETE = 1016;
constexpr int IDS_MENU_PROPERTIES = 1017;
constexpr int IDS_MENU_TOOLBAR = 1018;     // caption worded here (the menus name the item only)
constexpr int IDS_MENU_SESSION_LOG = 1019; // caption worded here (the menus name the item only)
constexpr int IDS_MENU_BUTTONS = 1020;
constexpr int IDS_MENU_PATH_FILTER = 1021;    // caption worded here (the menus name the item only)
constexpr int IDS_MENU_BATCH_TRANSFER = 1022; // caption worded here (the menus name the item only)
constexpr int IDS_MENU_TERMINAL = 1023;       // caption worded here (the menus name the item only)
constexpr int IDS_MENU_MANUAL = 1024;
constexpr int IDS_MENU_FAQ = 1025;

// Main window: tool-bar tooltips (1080-1099)
constexpr int IDS_TIP_CONNECT = 1080;
constexpr int IDS_TIP_HAMMER = 1081;
constexpr int IDS_TIP_DISCONNECT = 1082;
constexpr int IDS_TIP_DISCONNECT_ALL = 1083;
constexpr int IDS_TIP_COPY = 1084;
constexpr int IDS_TIP_PASTE = 1085;
constexpr int IDS_TIP_TERMINAL_WINDOW = 1086;
constexpr int IDS_TIP_CREATE_DIRECTORY = 1087;
constexpr int IDS_TIP_FILE_PERMISSIONS = 1088;
constexpr int IDS_TIP_DELETE = 1089;
constexpr int IDS_TIP_FTP_COMMAND = 1090;
constexpr int IDS_TIP_EXECUTE_FILE = 1091;
constexpr int IDS_TIP_VIEW = 1092;
constexpr int IDS_TIP_DIRECTORY_INFO = 1093;
constexpr int IDS_TIP_HELP = 1094;
constexpr int IDS_TIP_DIRECTORY_COMPARE = 1095;
constexpr int IDS_TIP_REFRESH = 1096;
constexpr int IDS_TIP_GO_BACK = 1097;

// Main window: button column (1100-1129)
constexpr int IDS_BTN_COLUMN_CONNECT = 1100;
constexpr int IDS_BTN_COLUMN_HELP = 1101;
constexpr int IDS_BTN_COLUMN_CHMOD = 1102;
constexpr int IDS_BTN_COLUMN_MKDIR = 1103;
constexpr int IDS_BTN_COLUMN_RENAME = 1104;
constexpr int IDS_BTN_COLUMN_DELETE = 1105;
constexpr int IDS_BTN_COLUMN_VIEW = 1106;
constexpr int IDS_BTN_COLUMN_EXEC = 1107;
constexpr int IDS_BTN_COLUMN_COMMAND = 1108;
constexpr int IDS_BTN_COLUMN_EDIT = 1109;
constexpr int IDS_BTN_COLUMN_DIR_INFO = 1110;
constexpr int IDS_BTN_COLUMN_TERMINAL = 1111;
constexpr int IDS_BTN_COLUMN_REFRESH = 1112;
constexpr int IDS_BTN_COLUMN_COMPARE = 1113;
constexpr int IDS_BTN_COLUMN_FIND = 1114;
constexpr int IDS_BTN_COLUMN_CHDIR = 1115;

// Main window: its dialogs and messages (1130-1199)
constexpr int IDS_ERR_LOAD_PROJECT_FILE = 1130;
constexpr int IDS_DLG_IMPORT = 1131;
constexpr int IDS_IMPORT_FILTER = 1132;
constexpr int IDS_CAPTION_UNKNOWN_FORMAT = 1133;
constexpr int IDS_CAPTION_IMPORT_FAILED = 1134;
constexpr int IDS_CAPTION_FILE_ERROR = 1135;
constexpr int IDS_DLG_FIND_FILE = 1136;
constexpr int IDS_DLG_CHANGE_DIRECTORY = 1137;
constexpr int IDS_ERR_RECENT_PROFILE_GONE = 1138;
constexpr int IDS_ERR_NO_FAQ_ADDRESS = 1139;
constexpr int IDS_DLG_CERTIFICATE = 1195;
constexpr int IDS_CERT_INTRO = 1196;
constexpr int IDS_CERT_TRUST_ONCE = 1197;
constexpr int IDS_CERT_TRUST_ALWAYS = 1198;
constexpr int IDS_CAPTION_CERTIFICATE_CHANGED = 1199;

// Sessions, connecting and engine events (1200-1299)
constexpr int IDS_LOG_CANCEL = 1200;
constexpr int IDS_LOG_TRANSFER_ABORTED = 1201;
constexpr int IDS_LOG_CONNECTING_TO = 1202;
constexpr int IDS_LOG_SPAWNING_CONNECTION = 1203;
constexpr int IDS_LOG_CONNECTED_TO = 1204;
constexpr int IDS_LOG_DISCONNECTED_FROM = 1205;
constexpr int IDS_LOG_CONNECT_TIMEOUT = 1206;
constexpr int IDS_BTN_CONNECT_VIEW = 1207;
constexpr int IDS_BTN_CONNECT_CANCEL = 1208;
constexpr int IDS_BTN_CONNECT_DISCONNECT = 1209;
constexpr int IDS_BTN_CONNECT_HAMMER = 1210;
constexpr int IDS_STATUS_DOWNLOADING = 1211;
constexpr int IDS_STATUS_UPLOADING = 1212;
constexpr int IDS_STATUS_WINSOCK_ERROR = 1213;
constexpr int IDS_DLG_PASSWORD = 1214;
constexpr int IDS_ASK_PASSWORD = 1215;
constexpr int IDS_DLG_MOVE_FILE = 1216;
constexpr int IDS_PROMPT_MOVE_LOCAL = 1217;
constexpr int IDS_PROMPT_MOVE_REMOTE = 1218;
constexpr int IDS_LOG_CONNECT_FAILED = 1219;
constexpr int IDS_LOG_LOGIN_FAILED = 1220;
constexpr int IDS_SOCKET_REFUSED = 1221;
constexpr int IDS_SOCKET_TIMED_OUT = 1222;
constexpr int IDS_SOCKET_UNREACHABLE = 1223;
constexpr int IDS_SOCKET_RESET = 1224;
constexpr int IDS_STATE_CONNECTED_ENCRYPTED = 1280;
constexpr int IDS_STATUS_ENCRYPTED = 1281;
constexpr int IDS_CERT_SUBJECT = 1282;
constexpr int IDS_CERT_ISSUER = 1283;
constexpr int IDS_CERT_VALID_FROM = 1284;
constexpr int IDS_CERT_VALID_UNTIL = 1285;
constexpr int IDS_CERT_FINGERPRINT = 1286;
constexpr int IDS_CERT_REASON = 1287;
constexpr int IDS_CERT_UNTRUSTED_ISSUER = 1288;
constexpr int IDS_CERT_EXPIRED = 1289;
constexpr int IDS_CERT_NOT_YET_VALID = 1290;
constexpr int IDS_CERT_NAME_MISMATCH = 1291;
constexpr int IDS_CERT_OTHER_PROBLEM = 1292;
constexpr int IDS_CAPTION_ENCRYPTION = 1293;
constexpr int IDS_ASK_SWITCH_TO_PLAIN = 1294;
constexpr int IDS_LOG_CERT_TRUSTED_ONCE = 1295;
constexpr int IDS_LOG_CERT_TRUSTED_ALWAYS = 1296;
constexpr int IDS_ERR_CERT_NOT_KEPT = 1297;

// Session log, Tasks pane, terminal and the Command dialog (1300-1399)
constexpr int IDS_TAB_SESSION_LOG = 1300;
constexpr int IDS_TAB_TASKS = 1301;
constexpr int IDS_TAB_BPS = 1302;
constexpr int IDS_MENU_LOG_CUT = 1303;
constexpr int IDS_MENU_LOG_COPY = 1304;
constexpr int IDS_MENU_LOG_PASTE = 1305;
constexpr int IDS_MENU_LOG_DELETE = 1306;
constexpr int IDS_MENU_LOG_CLEAR = 1307;
constexpr int IDS_MENU_LOG_FIND = 1308;
constexpr int IDS_MENU_LOG_SELECT_ALL = 1309;
constexpr int IDS_COL_TASK = 1310;
constexpr int IDS_COL_TASK_BYTES = 1311;
constexpr int IDS_COL_TASK_PERCENT = 1312;
constexpr int IDS_COL_TASK_SIZE = 1313;
constexpr int IDS_COL_TASK_SERVER = 1314;
constexpr int IDS_COL_TASK_RATE = 1315;
constexpr int IDS_ERR_LOG_OUT_OF_MEMORY = 1316;
constexpr int IDS_DLG_SAVE_SESSION_LOG = 1317;
constexpr int IDS_DLG_FIND = 1318;
constexpr int IDS_CHECK_MATCH_CASE = 1319;
constexpr int IDS_BTN_FIND_NEXT = 1320;
constexpr int IDS_ERR_STRING_NOT_FOUND = 1321;
constexpr int IDS_DLG_COMMAND = 1322;
constexpr int IDS_DLG_SESSION = 1323;
constexpr int IDS_TITLE_SESSION = 1324;
constexpr int IDS_MENU_TASK_DISCONNECT = 1325;

// Transfer rate display and graph (1400-1449)
constexpr int IDS_RATE_MBPS = 1400;
constexpr int IDS_RATE_KBPS = 1401;
constexpr int IDS_RATE_BPS = 1402;
constexpr int IDS_GRAPH_LABEL_KBP = 1403;
constexpr int IDS_GRAPH_LABEL_BPS = 1404;

// Window titles and bookmarks (1450-1499)
constexpr int IDS_TITLE_MAIN = 1450;
constexpr int IDS_STATE_CONNECTED = 1451;
constexpr int IDS_STATE_DISCONNECTED = 1452;
constexpr int IDS_MENU_ADD_BOOKMARK = 1453;
constexpr int IDS_MENU_DELETE_BOOKMARK = 1454;
constexpr int IDS_BOOKMARK_NODE_NAME = 1455;

// FTP engine: socket errors and status texts (2000-2099)
constexpr int IDS_ERR_SOCKET_LISTEN = 2000;
constexpr int IDS_ERR_SOCKET_CREATE = 2001;
constexpr int IDS_ERR_SOCKET_BIND = 2002;
constexpr int IDS_ERR_SOCKET_SELECT = 2003;
constexpr int IDS_ERR_SOCKET_NAME = 2004;
constexpr int IDS_ERR_SOCKET_MEMORY = 2005;
constexpr int IDS_STATUS_HOST_NOT_FOUND = 2006;
constexpr int IDS_STATUS_NO_SOCKET_WAITING = 2007;
constexpr int IDS_STATUS_ADDRESS_TRANSLATION = 2008;
constexpr int IDS_STATUS_REQUEST_SEND_FAILED = 2009;
// The engine's texts of other roles: a status the shell also logs, its own refusals, log lines and
// the reasons a transfer failed.
constexpr int IDS_STATUS_CONNECTED_TO = 2010;
constexpr int IDS_STATUS_LISTENER_WINSOCK_ERROR = 2011;
constexpr int IDS_ERR_ARGUMENT_LINE_BREAK = 2012;
constexpr int IDS_LOG_ACTIVE_THROUGH_SOCKS = 2013;
constexpr int IDS_LOG_DATA_FROM_STRANGER = 2014;
constexpr int IDS_ERR_PASV_NO_ADDRESS = 2015;
constexpr int IDS_LOG_PASV_OTHER_ADDRESS = 2016;
constexpr int IDS_ERR_READ_LOCAL_FILE = 2017;
constexpr int IDS_ERR_TRANSFER_INCOMPLETE = 2018;
constexpr int IDS_ERR_DATA_CONNECTION_FAILED = 2019;
constexpr int IDS_ERR_WRITE_LOCAL_FILE = 2020;
constexpr int IDS_ERR_TRANSFER_TIMED_OUT = 2021;
constexpr int IDS_ERR_REPLY_TOO_LONG = 2022;
constexpr int IDS_ERR_LISTING_TOO_LARGE = 2023;
constexpr int IDS_ERR_REPLY_WITHOUT_END = 2024;
constexpr int IDS_LOG_TLS_ESTABLISHED = 2025;
constexpr int IDS_LOG_TLS_PLAIN_FALLBACK = 2026;
constexpr int IDS_ERR_TLS_REFUSED = 2027;
constexpr int IDS_ERR_TLS_HANDSHAKE = 2028;
constexpr int IDS_ERR_TLS_CERTIFICATE_CHANGED = 2029;
constexpr int IDS_ERR_TLS_CERTIFICATE_NOT_TRUSTED = 2030;
constexpr int IDS_ERR_TLS_NO_CERTIFICATE = 2031;
constexpr int IDS_ERR_TLS_DATA_CERTIFICATE = 2032;
constexpr int IDS_ERR_TLS_BROKEN = 2033;
constexpr int IDS_ERR_TLS_NO_SESSION = 2034;
constexpr int IDS_ERR_TLS_PEER_CLOSED = 2035;
constexpr int IDS_ERR_LOCAL_FILE_SHRANK = 2048;
constexpr int IDS_ERR_RESUME_BEYOND_END = 2049;
constexpr int IDS_ERR_UPLOAD_NOT_ASKED = 2050;
constexpr int IDS_ERR_OPEN_LOCAL_FILE = 2051;

// Proxy and firewall choices and the SOCKS handshake (2100-2149)
constexpr int IDS_PROXY_NONE = 2100;
constexpr int IDS_PROXY_FTP_SERVER = 2101;
constexpr int IDS_PROXY_SOCKS4 = 2102;
constexpr int IDS_PROXY_SOCKS5 = 2103;
// Refusals of the SOCKS handshake (proxy/socks_handshake.h); the lower-case texts name a proxy's
// status or reply code inside them.
constexpr int IDS_SOCKS4_NOT_SOCKS4 = 2110;
constexpr int IDS_SOCKS4_REFUSED = 2111;
constexpr int IDS_SOCKS4_STATUS_REJECTED = 2112;
constexpr int IDS_SOCKS4_STATUS_NO_IDENTD = 2113;
constexpr int IDS_SOCKS4_STATUS_OTHER_USER = 2114;
constexpr int IDS_SOCKS4_STATUS_UNKNOWN = 2115;
constexpr int IDS_SOCKS5_CREDENTIALS_TOO_LONG = 2116;
constexpr int IDS_SOCKS5_NOT_SOCKS5 = 2117;
constexpr int IDS_SOCKS5_NO_CREDENTIALS = 2118;
constexpr int IDS_SOCKS5_NO_METHOD = 2119;
constexpr int IDS_SOCKS5_AUTH_REFUSED = 2120;
constexpr int IDS_SOCKS5_CONNECT_FAILED = 2121;
constexpr int IDS_SOCKS5_REPLY_GENERAL_FAILURE = 2122;
constexpr int IDS_SOCKS5_REPLY_NOT_ALLOWED = 2123;
constexpr int IDS_SOCKS5_REPLY_NETWORK_UNREACHABLE = 2124;
constexpr int IDS_SOCKS5_REPLY_HOST_UNREACHABLE = 2125;
constexpr int IDS_SOCKS5_REPLY_CONNECTION_REFUSED = 2126;
constexpr int IDS_SOCKS5_REPLY_TTL_EXPIRED = 2127;
constexpr int IDS_SOCKS5_REPLY_COMMAND_NOT_SUPPORTED = 2128;
constexpr int IDS_SOCKS5_REPLY_ADDRESS_TYPE_NOT_SUPPORTED = 2129;
constexpr int IDS_SOCKS5_REPLY_UNKNOWN = 2130;
constexpr int IDS_SOCKS5_UNKNOWN_ADDRESS_TYPE = 2131;
constexpr int IDS_SOCKS_DATA_UNASKED = 2132;
constexpr int IDS_SOCKS_CLOSED = 2133;
// The Firewall/Proxy page of the Preferences dialog.
constexpr int IDS_GROUP_PROXY_TYPE = 2134;
constexpr int IDS_LABEL_PROXY_HOST = 2135;
constexpr int IDS_LABEL_PROXY_PORT = 2136;
constexpr int IDS_LABEL_PROXY_USER = 2137;
constexpr int IDS_LABEL_PROXY_PASSWORD = 2138;
constexpr int IDS_GROUP_HTTP_PROXY = 2139;
constexpr int IDS_LABEL_HTTP_PROXY_SERVER = 2140;
constexpr int IDS_LABEL_HTTP_PROXY_PORT = 2141;

// Transfer queue and config.ini (3000-3099)
constexpr int IDS_DLG_BATCH_TRANSFER = 3000;
constexpr int IDS_BTN_START = 3001;
constexpr int IDS_BTN_STOP = 3002;
constexpr int IDS_BTN_CLEAR = 3003;
constexpr int IDS_COL_BATCH_STATE = 3004;
constexpr int IDS_COL_BATCH_SOURCE = 3005;
constexpr int IDS_COL_BATCH_DESTINATION = 3006;
constexpr int IDS_COL_BATCH_SIZE = 3007;
constexpr int IDS_COL_BATCH_FILENAME = 3008;
constexpr int IDS_BATCH_NODE_NAME = 3009;
constexpr int IDS_ERR_CONFIG_WRITE = 3010;

// Remote listings (4000-4019)
constexpr int IDS_STATUS_SORTING = 4000;
constexpr int IDS_ERR_DIRECTORY_COMMAND_F101 = 4001;

// File panes: columns, buttons, context menus and their dialogs (4020-4099)
constexpr int IDS_COL_REMOTE_KIND = 4020;
constexpr int IDS_COL_REMOTE_FILE = 4021;
constexpr int IDS_COL_REMOTE_SIZE = 4022;
constexpr int IDS_COL_REMOTE_DATE = 4023;
constexpr int IDS_COL_REMOTE_PRIVS = 4024;
constexpr int IDS_COL_REMOTE_LEVEL = 4025;
constexpr int IDS_COL_REMOTE_OWNER = 4026;
constexpr int IDS_COL_REMOTE_GROUP = 4027;
constexpr int IDS_COL_LOCAL_KIND = 4028;
constexpr int IDS_COL_LOCAL_FILENAME = 4029;
constexpr int IDS_COL_LOCAL_SIZE = 4030;
constexpr int IDS_COL_LOCAL_DATE = 4031;
constexpr int IDS_BTN_DOWNLOAD_SELECTION = 4032;
constexpr int IDS_BTN_UPLOAD_SELECTION = 4033;
constexpr int IDS_RADIO_ASCII = 4034;
constexpr int IDS_RADIO_BINARY = 4035;
constexpr int IDS_MENU_PANE_OPTIONS = 4036;
constexpr int IDS_MENU_UPLOAD = 4037;
constexpr int IDS_MENU_ADD_TO_BATCH = 4038;
constexpr int IDS_MENU_OPEN = 4039;
constexpr int IDS_MENU_VIEW_FILE = 4040;
constexpr int IDS_MENU_EDIT_FILE = 4041;
constexpr int IDS_MENU_LOCAL_PASTE = 4042;
constexpr int IDS_MENU_REMOTE_DELETE = 4043;
constexpr int IDS_MENU_RENAME = 4044;
constexpr int IDS_MENU_APPEND_FILE = 4045;
constexpr int IDS_MENU_MOVE_FILE = 4046;
constexpr int IDS_MENU_CREATE_DIRECTORY = 4047;
constexpr int IDS_MENU_REFRESH_LOCAL = 4048;
constexpr int IDS_MENU_CONNECT_SITE = 4049;
constexpr int IDS_MENU_DISCONNECT = 4050;
constexpr int IDS_MENU_HAMMER = 4051;
constexpr int IDS_MENU_HAMMER_STOP = 4052;
constexpr int IDS_MENU_DOWNLOAD_ROWS = 4053;
constexpr int IDS_MENU_DOWNLOAD_FOLDER = 4054;
constexpr int IDS_MENU_CREATE_DIRECTORY_MKDIR = 4055;
constexpr int IDS_MENU_FILE_PERMISSIONS_CHMOD = 4056;
constexpr int IDS_MENU_DIRECTORY_INFO_LIST = 4057;
constexpr int IDS_MENU_OTHER_COMMAND = 4058;
constexpr int IDS_MENU_REFRESH = 4059;
constexpr int IDS_DLG_CREATE_DIRECTORY = 4060;
constexpr int IDS_PROMPT_NEW_DIRECTORY = 4061;
constexpr int IDS_PROMPT_FTP_COMMAND = 4062;
constexpr int IDS_ASK_DELETE_FOLDER = 4063;
constexpr int IDS_ASK_DELETE_FILE = 4064;
constexpr int IDS_PLACEHOLDER_FILE_MASK = 4065;

// Local file system (4100-4119)
constexpr int IDS_NEW_FOLDER_NAME = 4100;

// Directory compare (4120-4139)
constexpr int IDS_MENU_DIRECTORY_COMPARE = 4120;
constexpr int IDS_MENU_COMPARE = 4121;
constexpr int IDS_STATUS_FILE_COMPARE = 4122;

// Permissions (CHMOD) (4140-4169)
constexpr int IDS_DLG_CHMOD = 4140;
constexpr int IDS_MENU_FILE_PERMISSIONS = 4141;
constexpr int IDS_CHMOD_READ = 4142;
constexpr int IDS_CHMOD_WRITE = 4143;
constexpr int IDS_CHMOD_EXECUTE = 4144;
constexpr int IDS_CHMOD_OWNER = 4145;
constexpr int IDS_CHMOD_GROUP = 4146;
constexpr int IDS_CHMOD_OTHER = 4147;
constexpr int IDS_TITLE_CHMOD = 4148;

// Automatic renaming (4170-4199)
constexpr int IDS_PAGE_RENAME_MASKS = 4170;
constexpr int IDS_COL_RENAME_LOCAL = 4171;
constexpr int IDS_COL_RENAME_REMOTE = 4172;
constexpr int IDS_COL_RENAME_ENABLED = 4173;
constexpr int IDS_CHECK_RENAME_ENABLED = 4174;
constexpr int IDS_BTN_RENAME_NEW = 4175;
constexpr int IDS_MENU_RENAME_NEW = 4176;
constexpr int IDS_MENU_RENAME_DELETE = 4177;
constexpr int IDS_LABEL_RENAME_LOCAL = 4185;
constexpr int IDS_LABEL_RENAME_REMOTE = 4186;

// View, edit and execute (4200-4229)
constexpr int IDS_MENU_EXECUTE = 4200;
constexpr int IDS_MENU_DIRECTORY_INFO = 4201;
constexpr int IDS_ERR_ALREADY_EDITING = 4202;
constexpr int IDS_DLG_APPEND_FILE = 4203;
constexpr int IDS_PROMPT_APPEND = 4204;
constexpr int IDS_ERR_SCRATCH_NAME = 4205;
constexpr int IDS_MSG_EDIT_KEPT = 4206;
constexpr int IDS_MSG_EDIT_WATCHING = 4207;
constexpr int IDS_DLG_EDITING = 4208;
constexpr int IDS_BTN_DONE = 4209;

// Folder transfers (4230-4249)
constexpr int IDS_ERR_CREATE_LOCAL_DIRECTORY = 4230;
constexpr int IDS_ERR_DIRECTORY_COMMAND_F102 = 4231;
constexpr int IDS_LOG_NAME_REFUSED = 4232;
constexpr int IDS_LOG_LINK_OUTSIDE = 4233;
constexpr int IDS_LOG_FOLDER_LOOP = 4234;
constexpr int IDS_LOG_FOLDER_TOO_DEEP = 4235;
constexpr int IDS_ERR_PROFILE_IN_USE = 4236;
constexpr int IDS_ERR_PROFILE_NOT_DELETED = 4237;

// Link harvesting (4250-4259)
constexpr int IDS_MSG_NO_FILE_LINKS = 4250;

// Site profiles and the profile folder (5000-5099)
constexpr int IDS_ERR_CREATE_FILE = 5000;
constexpr int IDS_DEFAULT_FTP_PROFILE_NAME = 5001;
constexpr int IDS_DEFAULT_LINK_NAME = 5002;
constexpr int IDS_DEFAULT_FOLDER_NAME = 5003;
constexpr int IDS_ERR_CREATE_PROFILE = 5004;

// Profile manager (5100-5199)
constexpr int IDS_DLG_PROFILE_MANAGER = 5100;
constexpr int IDS_PAGE_FTP_SERVER = 5101;
constexpr int IDS_PAGE_URL = 5102;
constexpr int IDS_PAGE_FOLDER = 5103;
constexpr int IDS_LABEL_PROFILE_NAME = 5104;
constexpr int IDS_LABEL_HOST_ADDRESS = 5105;
constexpr int IDS_LABEL_PORT = 5106;
constexpr int IDS_LABEL_USERNAME = 5107;
constexpr int IDS_LABEL_PASSWORD = 5108;
constexpr int IDS_LABEL_ACCOUNT = 5109;
constexpr int IDS_LABEL_LOCAL_DIRECTORY = 5110;
constexpr int IDS_LABEL_REMOTE_DIRECTORY = 5111;
constexpr int IDS_LABEL_COMMENT = 5112;
constexpr int IDS_CHECK_ANONYMOUS_LOGIN = 5113;
constexpr int IDS_CHECK_SAVE_PASSWORD = 5114;
constexpr int IDS_CHECK_PASSIVE_MODE = 5115;
constexpr int IDS_CHECK_LOWER_CASE_FILENAMES = 5116;
constexpr int IDS_CHECK_LOWER_CASE_DIRECTORIES = 5117;
constexpr int IDS_LABEL_URL_TITLE = 5118;
constexpr int IDS_LABEL_URL = 5119;
constexpr int IDS_LABEL_FOLDER_TITLE = 5120;
constexpr int IDS_PM_CONNECT = 5121;
constexpr int IDS_PM_HAMMER = 5122;
constexpr int IDS_PM_NEW_FTP_PROFILE = 5123;
constexpr int IDS_PM_NEW_LINK = 5124;
constexpr int IDS_PM_NEW_FOLDER = 5125;
constexpr int IDS_PM_COPY = 5126;
constexpr int IDS_PM_PASTE = 5127;
constexpr int IDS_PM_RENAME = 5128;
constexpr int IDS_PM_DELETE = 5129;
constexpr int IDS_PM_SAVE = 5130;
constexpr int IDS_PM_CLOSE = 5131;
constexpr int IDS_PM_NEW = 5132;
constexpr int IDS_PM_CAPTION_SESSION_PROFILE = 5133;
constexpr int IDS_PM_CAPTION_URL_PROFILE = 5134;
constexpr int IDS_ERR_RENAME_PROFILE = 5135;
constexpr int IDS_LABEL_ENCRYPTION = 5180;
constexpr int IDS_ENCRYPTION_EXPLICIT = 5181;
constexpr int IDS_ENCRYPTION_IMPLICIT = 5182;
constexpr int IDS_ENCRYPTION_IF_AVAILABLE = 5183;
constexpr int IDS_ENCRYPTION_PLAIN = 5184;

// Settings and the Preferences dialog (7000-7099)
constexpr int IDS_DLG_PREFERENCES = 7000;
constexpr int IDS_MENU_PREF_SETTINGS = 7001;
constexpr int IDS_MENU_PREF_OPTIONS = 7002;
constexpr int IDS_MENU_PREF_PROXY = 7003;
constexpr int IDS_MENU_PREF_SOUND = 7004;
constexpr int IDS_MENU_PREF_AUTO_RENAME = 7005;
constexpr int IDS_PAGE_SETTINGS = 7006;
constexpr int IDS_PAGE_OPTIONS = 7007;
constexpr int IDS_PAGE_FIREWALL_PROXY = 7008;
constexpr int IDS_PAGE_SOUND = 7009;
constexpr int IDS_PAGE_AUTO_RENAME = 7010;
constexpr int IDS_LABEL_BROWSER = 7011;
constexpr int IDS_LABEL_ANONYMOUS_EMAIL = 7012;
constexpr int IDS_LABEL_HAMMER_DELAY = 7013;
constexpr int IDS_LABEL_HAMMER_COUNT = 7014;
constexpr int IDS_LABEL_SERVER_TIMEOUT = 7015;
constexpr int IDS_CHECK_NEW_BROWSER_WINDOW = 7016;
constexpr int IDS_CHECK_AUTO_REFRESH = 7017;
constexpr int IDS_CHECK_SORT_LISTINGS = 7018;
constexpr int IDS_ERR_BROWSER = 7019;
constexpr int IDS_CAPTION_BROWSER_ERROR = 7020;

// Sound events (7100-7149)
constexpr int IDS_SOUND_PROGRAM_START = 7100;
constexpr int IDS_SOUND_PROGRAM_EXIT = 7101;
constexpr int IDS_SOUND_FTP_CONNECT = 7102;
constexpr int IDS_SOUND_FTP_DISCONNECT = 7103;
constexpr int IDS_SOUND_FTP_UPLOAD = 7104;
constexpr int IDS_SOUND_FTP_DOWNLOAD = 7105;
constexpr int IDS_SOUND_FTP_ERROR = 7106;
constexpr int IDS_COL_SOUND_EVENT = 7107;
constexpr int IDS_COL_SOUND_FILE = 7108;
constexpr int IDS_LABEL_ASSIGN_SOUND = 7109;
constexpr int IDS_BTN_PLAY = 7110;
constexpr int IDS_BTN_BROWSE = 7111;
constexpr int IDS_DLG_OPEN_SOUND_FILE = 7112;
constexpr int IDS_SOUND_FILE_FILTER = 7113;
constexpr int IDS_SOUND_FILE_FILTER_ALL = 7114;

// Languages of the Options > Language menu (8000-8049), each named in itself
constexpr int IDS_LANGUAGE_ENGLISH = 8000;
constexpr int IDS_LANGUAGE_ARABIC = 8001;
constexpr int IDS_LANGUAGE_CZECH = 8002;
constexpr int IDS_LANGUAGE_DUTCH = 8003;
constexpr int IDS_LANGUAGE_FRENCH = 8004;
constexpr int IDS_LANGUAGE_GERMAN = 8005;
constexpr int IDS_LANGUAGE_GREEK = 8006;
constexpr int IDS_LANGUAGE_ITALIAN = 8007;
constexpr int IDS_LANGUAGE_JAPANESE = 8008;
constexpr int IDS_LANGUAGE_KOREAN = 8009;
constexpr int IDS_LANGUAGE_PORTUGUESE = 8010;
constexpr int IDS_LANGUAGE_SPANISH = 8011;
constexpr int IDS_LANGUAGE_SWEDISH = 8012;

// Common text and file library (9000-9049)
constexpr int IDS_ERR_READ_OUT_OF_MEMORY = 9000;
constexpr int IDS_EXCEPTION_OUT_OF_MEMORY = 9001;
constexpr int IDS_EXCEPTION_OUT_OF_BOUNDS = 9002;

// Web client (10000-10049)
constexpr int IDS_WEB_ADDRESS_TRANSLATION = 10000;
constexpr int IDS_WEB_REQUEST_SEND_FAILED = 10001;
constexpr int IDS_WEB_OUT_OF_MEMORY = 10002;
constexpr int IDS_WEB_NO_SOCKET = 10003;
// The web client's status texts and the reasons a fetch failed.
constexpr int IDS_WEB_HOST_NOT_FOUND = 10004;
constexpr int IDS_WEB_DOWNLOADING = 10005;
constexpr int IDS_WEB_SOCKS_SEND_FAILED = 10006;
constexpr int IDS_WEB_NOT_HTTP_ADDRESS = 10007;
constexpr int IDS_WEB_TIMED_OUT = 10008;
constexpr int IDS_WEB_SOCKET_ERROR = 10009;
constexpr int IDS_WEB_PROXY_NOT_PERMITTED = 10010;
constexpr int IDS_WEB_SOCKS4_NO_HTTPS = 10011;
constexpr int IDS_WEB_HOST_NOT_PERMITTED = 10012;
constexpr int IDS_WEB_HEADERS_WITHOUT_END = 10013;
constexpr int IDS_WEB_CREATE_FILE = 10014;
constexpr int IDS_WEB_WRITE_FILE = 10015;
constexpr int IDS_WEB_PAGE_TOO_LARGE = 10016;
constexpr int IDS_WEB_NO_ANSWER = 10017;
constexpr int IDS_WEB_BODY_CUT_SHORT = 10018;
constexpr int IDS_WEB_NOT_HTTP_ANSWER = 10019;
constexpr int IDS_WEB_STATUS_CODE = 10020;

} // namespace kestovan
