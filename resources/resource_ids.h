// Numbers of the dialogs, controls, menu commands, icons and bitmaps in
// kalivera.rc. Plain macros, because the resource compiler reads this file too.
#pragma once

// Icons, bitmaps, menus
#define IDI_KALIVERA                101
#define IDR_MAIN_MENU               105
#define IDB_ABOUT                   123

// Dialogs
#define IDD_PORT_SETTINGS           107
#define IDD_MAIN                    109
#define IDD_VALUE_SELECTION         112
#define IDD_DOWNLOAD                113
#define IDD_LANGUAGE                114
#define IDD_ABOUT                   120
#define IDD_ZD615_VALUES            129
#define IDD_LOCATION_RENAMING       130
#define IDD_LIMIT_EDITOR            131

// Main window: form fields
#define IDC_DATE                    1029
#define IDC_MEASURED_BY             1030
#define IDC_ORGANISATION            1031
#define IDC_ROUTE                   1005
#define IDC_SECTION                 1006
#define IDC_END_A                   1009
#define IDC_END_B                   1010
#define IDC_INSTRUMENT_TYPE         1012
#define IDC_INSTRUMENT_SERIAL       1086
#define IDC_FIBRE_LENGTH            1033
#define IDC_SPLICE_COUNT            1015
#define IDC_SPLICE_LIMIT            1016
#define IDC_CONNECTOR_COUNT         1017
#define IDC_CONNECTOR_LIMIT         1018
#define IDC_SPLITTER_COUNT          1019
#define IDC_SPLITTER_LIMIT          1020
#define IDC_WAVELENGTH              1049
#define IDC_DB_PER_KM               1050

// Main window: frame and labels
#define IDC_FORM_FRAME              1051
#define IDC_LABEL_MEASURED_BY       1052
#define IDC_LABEL_DATE              1053
#define IDC_LABEL_ORGANISATION      1054
#define IDC_LABEL_ROUTE             1055
#define IDC_LABEL_SECTION           1007
#define IDC_LABEL_END_A             1008
#define IDC_LABEL_END_B             1056
#define IDC_LABEL_INSTRUMENT        1057
#define IDC_LABEL_FIBRE_LENGTH      1058
#define IDC_LABEL_SPLICE_COUNT      1059
#define IDC_LABEL_SPLICE_LIMIT      1060
#define IDC_LABEL_CONNECTOR_COUNT   1061
#define IDC_LABEL_CONNECTOR_LIMIT   1062
#define IDC_LABEL_SPLITTER_COUNT    1063
#define IDC_LABEL_SPLITTER_LIMIT    1064
#define IDC_LABEL_WAVELENGTH        1065
#define IDC_LABEL_DB_PER_KM         1066
#define IDC_LABEL_NM                1099

// Menu commands
#define ID_CMD_EXIT                 40001
#define ID_CMD_ABOUT                40002
#define ID_CMD_PORT_SETTINGS        40003
#define ID_CMD_NEW                  40004
#define ID_CMD_SAVE                 40006
#define ID_CMD_SAVE_AS              40007
#define ID_CMD_LOAD_FILE            40008
#define ID_CMD_LOAD_INSTRUMENT      40009
#define ID_CMD_GENERATE             40016
#define ID_CMD_SAVE_DEFAULTS        40017
#define ID_CMD_SELECT_VALUES        40018
#define ID_CMD_EXPORT_TEXT          40023
#define ID_CMD_LANGUAGE             40024
#define ID_CMD_LIMITS               40027
#define ID_CMD_MANUAL               40029
#define ID_CMD_EXPORT_CSV           40030
#define ID_CMD_OPEN                 57601

// Top-level menu entries, by position
#define MENU_POS_FILE               0
#define MENU_POS_LOAD               1
#define MENU_POS_SELECTION          2
#define MENU_POS_GENERATE           3
#define MENU_POS_SETTINGS           4
#define MENU_POS_HELP               5

// Value selection (dialog 112)
#define IDC_MODE_FRAME              1127
#define IDC_MODE_TWO_WAY            1128
#define IDC_MODE_ONE_WAY            1129
#define IDC_LABEL_SELECTION_WAVELENGTH 1068
#define IDC_SELECTION_WAVELENGTH    1041
#define IDC_LABEL_LOADED            1069
#define IDC_LABEL_A_TO_B            1070
#define IDC_LABEL_B_TO_A            1071
#define IDC_LOADED_LIST             1039
#define IDC_A_TO_B_LIST             1042
#define IDC_B_TO_A_LIST             1043
#define IDC_ADD_A_TO_B              1045
#define IDC_ADD_B_TO_A              1081
#define IDC_RETURN_SELECTED         1044
#define IDC_REMOVE_ALL              1047

// Port settings (dialog 107)
#define IDC_PORT                    1003
#define IDC_DATA_BITS               1004
#define IDC_PARITY                  1005
#define IDC_STOP_BITS               1006
#define IDC_BAUD_RATE               1007
#define IDC_FLOW_CONTROL            1008
#define IDC_LABEL_PORT              1073
#define IDC_LABEL_BAUD_RATE         1074
#define IDC_LABEL_DATA_BITS         1075
#define IDC_LABEL_PARITY            1076
#define IDC_LABEL_STOP_BITS         1077
#define IDC_LABEL_FLOW_CONTROL      1078

// Download (dialog 113)
#define IDC_WAITING_FOR_DATA        1048
#define IDC_RECEIVED_BYTES          1082

// Language choice (dialog 114)
#define IDC_LANGUAGE_FILES          1080

// About (dialog 120)
#define IDC_ABOUT_PICTURE           1200
#define IDC_ABOUT_NAME              1201
#define IDC_ABOUT_MAKER             1202

// Limit-set editor (dialog 131). The threshold boxes run from 1103 in the
// order of the set's thresholds: PASS, WARNING, FAIL at 1310, 1490, 1550 nm.
#define IDC_LIMIT_WRITE_INSTRUMENT  3
#define IDC_LIMIT_READ_INSTRUMENT   4
#define IDC_LIMIT_LOAD_FILE         5
#define IDC_LIMIT_SAVE_FILE         6
#define IDC_LIMIT_TABS              1101
#define IDC_LIMIT_SET_NAME          1102
#define IDC_LIMIT_PASS_1310         1103
#define IDC_LIMIT_WARNING_1310      1104
#define IDC_LIMIT_FAIL_1310         1105
#define IDC_LIMIT_PASS_1490         1106
#define IDC_LIMIT_WARNING_1490      1107
#define IDC_LIMIT_FAIL_1490         1108
#define IDC_LIMIT_PASS_1550         1109
#define IDC_LIMIT_WARNING_1550      1110
#define IDC_LIMIT_FAIL_1550         1111
#define IDC_LIMIT_LABEL_NAME        1112
#define IDC_LIMIT_LABEL_PASS        1113
#define IDC_LIMIT_LABEL_WARNING     1114
#define IDC_LIMIT_LABEL_FAIL        1115
#define IDC_LIMIT_LABEL_1310        1116
#define IDC_LIMIT_LABEL_1550        1117
#define IDC_LIMIT_PROGRESS          1118

// ZD615 location table (dialog 129) and location renaming (dialog 130).
// The table's list view has the number of the value selection's first list.
// The renaming rows are created at run time: label k (0 to 8) is
// IDC_FIRST_LOCATION_LABEL + k, its edit box IDC_FIRST_LOCATION_NAME + k.
#define IDC_LOCATION_TABLE          1039
#define IDC_RENAME_LOCATIONS        1097
#define IDC_EDIT_LIMITS             1119
#define IDC_EVALUATE_1310           1120
#define IDC_EVALUATE_1490           1121
#define IDC_EVALUATE_1550           1122
#define IDC_EVALUATE_FRAME          1123
#define IDC_FIRST_LOCATION_LABEL    90210
#define IDC_FIRST_LOCATION_NAME     90310
