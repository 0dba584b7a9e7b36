#pragma once
// Identifiers of the program's dialogs, controls, strings and pictures.

namespace vantor::res {

// Dialog templates.
inline constexpr int IDD_ABOUT = 100;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_NOTICE = 144;
inline constexpr int IDD_SPLASH = 146;
inline constexpr int IDD_DIRECTORY = 147;

// Standard command ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Controls of the main window.
inline constexpr int IDC_TREE = 1000;
inline constexpr int IDC_COUNT = 1002;
inline constexpr int IDC_BRANCH_TOTAL = 1005;
inline constexpr int IDC_TOTAL = 1006;
inline constexpr int IDC_PRINT = 1007;
inline constexpr int IDC_CURRENT_CONTAINER = 1008;
inline constexpr int IDC_CURRENT_LABEL = 1009;
inline constexpr int IDC_SAVE = 1010;
inline constexpr int IDC_BY_CONTAINER = 1018;
inline constexpr int IDC_USERS = 1023;
inline constexpr int IDC_SERVERS = 1024;
inline constexpr int IDC_GROUPS = 1025;
inline constexpr int IDC_PARTITIONS = 1026;
inline constexpr int IDC_ABOUT = 1027;
inline constexpr int IDC_DIRECTORY = 1028;
// The counting notice's check box.
inline constexpr int IDC_DONT_SHOW = 1030;
// The directory dialog's controls.
inline constexpr int IDC_DIR_LDIF = 1040;
inline constexpr int IDC_DIR_FILE = 1041;
inline constexpr int IDC_DIR_BROWSE = 1042;
inline constexpr int IDC_DIR_LDAP = 1043;
inline constexpr int IDC_DIR_URI = 1044;
inline constexpr int IDC_DIR_BASE = 1045;
inline constexpr int IDC_DIR_BIND_NAME = 1046;
inline constexpr int IDC_DIR_PASSWORD = 1047;
inline constexpr int IDC_DIR_STARTTLS = 1048;
inline constexpr int IDC_DIR_PROFILE = 1049;
inline constexpr int IDC_DIR_PROFILE_BROWSE = 1050;
inline constexpr int IDC_DIR_FILTER = 1051;
// Controls without an id of their own.
inline constexpr int IDC_STATIC = -1;

// Strings.
inline constexpr int IDS_OBJECT_NOT_FOUND = 102;
inline constexpr int IDS_INVALID_SYNTAX = 103;
inline constexpr int IDS_REFERRALS_FAILED = 104;
inline constexpr int IDS_NO_REFERRALS = 105;
inline constexpr int IDS_MEMORY_STACK = 106;
inline constexpr int IDS_NO_MEMORY = 107;
inline constexpr int IDS_ERROR = 108;
inline constexpr int IDS_OP_SEARCH = 109;
inline constexpr int IDS_OP_GET_OBJ_COUNT = 110;
inline constexpr int IDS_OP_LIST_CONTAINERS = 111;
inline constexpr int IDS_OP_GET_OBJ_NAME = 112;
inline constexpr int IDS_OP_ALLOC_BUF = 113;
inline constexpr int IDS_OP_GET_PARTITION_ROOT = 123;
inline constexpr int IDS_TITLE = 114;
inline constexpr int IDS_LEGEND_1 = 115;
inline constexpr int IDS_LEGEND_2 = 116;
inline constexpr int IDS_LEGEND_3 = 117;
inline constexpr int IDS_KIND_FIRST = 118;  // 118 to 121: "User", "Server", "Group", "Partition"
inline constexpr int IDS_OBJECTS = 122;

// Pictures and icon.
inline constexpr int IDB_TREE_IMAGES = 130;
inline constexpr int IDI_MAIN = 136;
inline constexpr int IDB_ABOUT = 149;
inline constexpr int IDB_SPLASH = 150;
inline constexpr int IDB_NOTICE = 151;

}  // namespace vantor::res
