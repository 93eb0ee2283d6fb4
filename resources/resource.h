/* Resource ids shared by ambrel.rc and the code. */
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Dialog templates */
#define IDD_ABOUT               100
#define IDD_MAIN                102

/* Icons */
#define IDI_AMBREL              128

/* Main dialog controls (IDOK and IDCANCEL are the platform's 1 and 2) */
#define IDC_NEW_ARCHIVES        1001
#define IDC_REMOVED_ARCHIVES    1002
#define IDC_ABOUT               1003

/* Strings */
#define IDS_PROGRAM_TITLE       200
#define IDS_NO_INSTALLATION     201
#define IDS_ALL_REGISTERED      202
#define IDS_UPDATED             203
#define IDS_WRITE_FAILED        204
#define IDS_INI_CHANGED         205
#define IDS_CAPACITY_REACHED    206
#define IDS_INI_UTF16           207
#define IDS_FOREIGN_NAMES       208
#define IDS_FOREIGN_NAME_SHORT  209
#define IDS_FOREIGN_NAME_LEFT_OUT 210
#define IDS_FOREIGN_NAMES_MORE  211
#define IDS_UNREADABLE_ARCHIVES 212
#define IDS_UNREADABLE_LEFT_OUT 213
#define IDS_UNREADABLE_STAY     214
#define IDS_UNREADABLE_LINE     215
#define IDS_UNREADABLE_FOLDER   216
#define IDS_UNREADABLE_TOO_SHORT 217
#define IDS_UNREADABLE_LATER_GAME 218
#define IDS_UNREADABLE_NOT_THIS_GAME 219
#define IDS_UNREADABLE_DAMAGED  220
#define IDS_UNREADABLE_COULD_NOT_READ 221

/* Strings of the run from the command line */
#define IDS_USAGE               230
#define IDS_BAD_ARGUMENTS       231
#define IDS_GAME_FOLDER_MISSING 232
#define IDS_GAME_FOLDER_NOT_GAME 233
#define IDS_GAME_FOLDER_UNUSABLE 234
#define IDS_REPORT_FOLDER       235
#define IDS_REPORT_WILL_ADD     236
#define IDS_REPORT_WILL_REMOVE  237
#define IDS_REPORT_WILL_COUNTS  238
#define IDS_REPORT_ADDED        239
#define IDS_REPORT_REMOVED      240
#define IDS_REPORT_COUNTS       241
