// The numbers of the 147 entries of the language table, by what each is for.
// Every message, caption, label and file name is looked up through these.
#pragma once

#include <cstddef>

// File name of the loss-meter report template (and 113, 140 below)
inline constexpr std::size_t TEXT_LOSS_TEMPLATE_FILE = 0;

// Main window: caption, labels, menu titles and items
inline constexpr std::size_t TEXT_MAIN_CAPTION = 1;
inline constexpr std::size_t TEXT_FORM_FRAME = 2;
inline constexpr std::size_t TEXT_LABEL_MEASURED_BY = 3;
inline constexpr std::size_t TEXT_LABEL_DATE = 4;
inline constexpr std::size_t TEXT_LABEL_ORGANISATION = 5;
inline constexpr std::size_t TEXT_LABEL_ROUTE = 6;
inline constexpr std::size_t TEXT_LABEL_SECTION = 7;
inline constexpr std::size_t TEXT_LABEL_END_A = 8;
inline constexpr std::size_t TEXT_LABEL_END_B = 9;
inline constexpr std::size_t TEXT_LABEL_INSTRUMENT = 10;
inline constexpr std::size_t TEXT_LABEL_FIBRE_LENGTH = 11;
inline constexpr std::size_t TEXT_LABEL_SPLICE_COUNT = 12;
inline constexpr std::size_t TEXT_LABEL_SPLICE_LIMIT = 13;
inline constexpr std::size_t TEXT_LABEL_CONNECTOR_COUNT = 14;
inline constexpr std::size_t TEXT_LABEL_CONNECTOR_LIMIT = 15;
inline constexpr std::size_t TEXT_LABEL_SPLITTER_COUNT = 16;
inline constexpr std::size_t TEXT_LABEL_SPLITTER_LIMIT = 17;
inline constexpr std::size_t TEXT_LABEL_WAVELENGTH = 18;
inline constexpr std::size_t TEXT_LABEL_DB_PER_KM = 19;
inline constexpr std::size_t TEXT_MENU_FILE = 20;
inline constexpr std::size_t TEXT_MENU_LOAD = 21;
inline constexpr std::size_t TEXT_MENU_SELECTION = 22;
inline constexpr std::size_t TEXT_MENU_GENERATE = 23;
inline constexpr std::size_t TEXT_MENU_SETTINGS = 24;
inline constexpr std::size_t TEXT_MENU_HELP = 25;
inline constexpr std::size_t TEXT_CMD_NEW = 26;
inline constexpr std::size_t TEXT_CMD_OPEN = 27;
inline constexpr std::size_t TEXT_CMD_SAVE = 28;
inline constexpr std::size_t TEXT_CMD_SAVE_AS = 29;
inline constexpr std::size_t TEXT_CMD_EXPORT_TEXT = 30;
inline constexpr std::size_t TEXT_CMD_EXIT = 31;
inline constexpr std::size_t TEXT_CMD_LOAD_INSTRUMENT = 32;
inline constexpr std::size_t TEXT_CMD_LOAD_FILE = 33;
inline constexpr std::size_t TEXT_CMD_SELECT_VALUES = 34;
inline constexpr std::size_t TEXT_CMD_GENERATE = 35;
inline constexpr std::size_t TEXT_CMD_PORT_SETTINGS = 36;
inline constexpr std::size_t TEXT_CMD_LANGUAGE = 37;
inline constexpr std::size_t TEXT_CMD_SAVE_DEFAULTS = 38;
inline constexpr std::size_t TEXT_CMD_ABOUT = 39;

// Value selection
inline constexpr std::size_t TEXT_SELECTION_CAPTION = 40;
inline constexpr std::size_t TEXT_UNUSED_41 = 41;
inline constexpr std::size_t TEXT_SELECTION_WAVELENGTH = 42;
inline constexpr std::size_t TEXT_LOADED_VALUES = 43;
inline constexpr std::size_t TEXT_VALUES_A_TO_B = 44;
inline constexpr std::size_t TEXT_VALUES_B_TO_A = 45;
inline constexpr std::size_t TEXT_NUMBER_COLUMN = 46;
inline constexpr std::size_t TEXT_VALUE_COLUMN = 47;
inline constexpr std::size_t TEXT_ADD_A_TO_B = 48;
inline constexpr std::size_t TEXT_ADD_B_TO_A = 49;
inline constexpr std::size_t TEXT_RETURN_SELECTED = 50;
inline constexpr std::size_t TEXT_REMOVE_ALL = 51;

// Transfer dialog
inline constexpr std::size_t TEXT_TRANSFER_CAPTION = 52;
inline constexpr std::size_t TEXT_TRANSFER_WAITING = 53;

// Buttons of several dialogs (also 70)
inline constexpr std::size_t TEXT_CANCEL = 54;

// Port settings
inline constexpr std::size_t TEXT_PORT_SETTINGS_CAPTION = 55;
inline constexpr std::size_t TEXT_LABEL_PORT = 56;
inline constexpr std::size_t TEXT_LABEL_BAUD_RATE = 57;
inline constexpr std::size_t TEXT_LABEL_DATA_BITS = 58;
inline constexpr std::size_t TEXT_LABEL_PARITY = 59;
inline constexpr std::size_t TEXT_LABEL_STOP_BITS = 60;
inline constexpr std::size_t TEXT_LABEL_FLOW_CONTROL = 61;
inline constexpr std::size_t TEXT_PARITY_NONE = 62;
inline constexpr std::size_t TEXT_PARITY_ODD = 63;
inline constexpr std::size_t TEXT_PARITY_EVEN = 64;
inline constexpr std::size_t TEXT_PARITY_MARK = 65;
inline constexpr std::size_t TEXT_PARITY_SPACE = 66;
inline constexpr std::size_t TEXT_FLOW_NONE = 67;
inline constexpr std::size_t TEXT_FLOW_HARDWARE = 68;
inline constexpr std::size_t TEXT_FLOW_SOFTWARE = 69;
inline constexpr std::size_t TEXT_OK = 70;

// Language choice
inline constexpr std::size_t TEXT_LANGUAGE_CAPTION = 71;

// Messages, captions and questions
inline constexpr std::size_t TEXT_CONFIGURATION_NOT_SAVED = 72;
inline constexpr std::size_t TEXT_ERROR_CAPTION = 73;
inline constexpr std::size_t TEXT_CONFIGURATION_SAVED_CAPTION = 74;
inline constexpr std::size_t TEXT_CONFIGURATION_SAVED = 75;
inline constexpr std::size_t TEXT_PORT_NOT_OPENED = 76;
inline constexpr std::size_t TEXT_LANGUAGE_NOT_LOADED = 77;
inline constexpr std::size_t TEXT_DATA_FILE_UNREADABLE = 78;
inline constexpr std::size_t TEXT_DATA_FILE_TOO_LARGE = 79;
inline constexpr std::size_t TEXT_NOT_LOADED = 80;
inline constexpr std::size_t TEXT_LOADED_CAPTION = 81;
inline constexpr std::size_t TEXT_LOADED = 82;
inline constexpr std::size_t TEXT_NOT_WRITTEN = 83;
inline constexpr std::size_t TEXT_TEMPLATE_MISSING = 84;
inline constexpr std::size_t TEXT_REPORT_NOT_CREATED = 85;
inline constexpr std::size_t TEXT_QUESTION_CAPTION = 86;
inline constexpr std::size_t TEXT_ASK_LOAD = 87;
inline constexpr std::size_t TEXT_ASK_OPEN = 88;
inline constexpr std::size_t TEXT_ASK_NEW_PROTOCOL = 89;
inline constexpr std::size_t TEXT_ABOUT_CAPTION = 90;
inline constexpr std::size_t TEXT_ASK_EXIT = 91;
inline constexpr std::size_t TEXT_INVALID_NUMBER_CAPTION = 92;
inline constexpr std::size_t TEXT_INVALID_NUMBER = 93;
inline constexpr std::size_t TEXT_POSITIVE_VALUES_CAPTION = 94;
inline constexpr std::size_t TEXT_POSITIVE_VALUES = 95;

// Report and ZD615 table texts
inline constexpr std::size_t TEXT_REMARK_OVER_LIMIT = 96;
inline constexpr std::size_t TEXT_REMARK_WITHIN_LIMIT = 97;
inline constexpr std::size_t TEXT_REMARK_NOT_EVALUATED = 98;
inline constexpr std::size_t TEXT_HEADING_OLT = 99;
inline constexpr std::size_t TEXT_HEADING_ONT = 100;
inline constexpr std::size_t TEXT_HEADING_LOCATION = 101;
inline constexpr std::size_t TEXT_HEADING_UNITS = 102;
inline constexpr std::size_t TEXT_HEADING_LIMIT_SET = 103;
inline constexpr std::size_t TEXT_NO_LIMIT_SET = 104;
inline constexpr std::size_t TEXT_GRADE_O = 105;
inline constexpr std::size_t TEXT_GRADE_PASS = 106;
inline constexpr std::size_t TEXT_GRADE_WARNING = 107;
inline constexpr std::size_t TEXT_GRADE_FAIL = 108;
inline constexpr std::size_t TEXT_LOCATION_RENAMING = 109;
inline constexpr std::size_t TEXT_HEADING_NUMBER = 110;
inline constexpr std::size_t TEXT_HEADING_RESULT = 111;
inline constexpr std::size_t TEXT_HEADING_REPORT = 112;
inline constexpr std::size_t TEXT_ZD615_TEMPLATE_FILE = 113;
inline constexpr std::size_t TEXT_REPORT_GRADE_O = 114;
inline constexpr std::size_t TEXT_REPORT_GRADE_WARNING = 115;

// Later menu items and the ZD615 and limit dialogs
inline constexpr std::size_t TEXT_CMD_LIMITS = 116;
inline constexpr std::size_t TEXT_RENAME_LOCATIONS = 117;
inline constexpr std::size_t TEXT_RENAMING_CAPTION = 118;
inline constexpr std::size_t TEXT_LIMIT_EDITOR_CAPTION = 119;
inline constexpr std::size_t TEXT_LABEL_SET_NAME = 120;
inline constexpr std::size_t TEXT_READ_FROM_INSTRUMENT = 121;
inline constexpr std::size_t TEXT_WRITE_TO_INSTRUMENT = 122;
inline constexpr std::size_t TEXT_LIMITS_NOT_READ = 123;
inline constexpr std::size_t TEXT_LIMITS_READ = 124;
inline constexpr std::size_t TEXT_LIMITS_CAPTION = 125;
inline constexpr std::size_t TEXT_LIMITS_NOT_WRITTEN = 126;
inline constexpr std::size_t TEXT_LIMITS_WRITTEN = 127;
inline constexpr std::size_t TEXT_EDIT_LIMITS = 128;
inline constexpr std::size_t TEXT_GRADE_NOT_EVALUATED = 129;
inline constexpr std::size_t TEXT_REPORT_NOT_EVALUATED = 130;
inline constexpr std::size_t TEXT_EVALUATE_FRAME = 131;
inline constexpr std::size_t TEXT_GROUP_PASSED = 132;
inline constexpr std::size_t TEXT_GROUP_WARNING = 133;
inline constexpr std::size_t TEXT_GROUP_FAILED = 134;
inline constexpr std::size_t TEXT_GROUP_NOT_EVALUATED = 135;
inline constexpr std::size_t TEXT_GROUP_NOT_GRADED = 136;
inline constexpr std::size_t TEXT_LOAD_LIMIT_FILE = 137;
inline constexpr std::size_t TEXT_SAVE_LIMIT_FILE = 138;
inline constexpr std::size_t TEXT_LIMIT_FILE_TYPE = 139;
inline constexpr std::size_t TEXT_MANUAL_FILE = 140;
inline constexpr std::size_t TEXT_CMD_MANUAL = 141;
inline constexpr std::size_t TEXT_CMD_EXPORT_CSV = 142;
inline constexpr std::size_t TEXT_MANUAL_MISSING = 143;
inline constexpr std::size_t TEXT_MODE_FRAME = 144;
inline constexpr std::size_t TEXT_MODE_TWO_WAY = 145;
inline constexpr std::size_t TEXT_MODE_ONE_WAY = 146;
