// Resource and control numbers of TolvanierSettings.exe.
#pragma once

#define IDD_MAIN 100
#define IDD_PAGE_APPS 101
#define IDD_PAGE_GENERATED 102
#define IDD_PAGE_CHECK 103
#define IDD_ENTRY 104

#define IDC_HEADER 1001
#define IDC_NOTE 1002
#define IDC_TABS 1003
#define IDC_STATUS 1004
#define IDC_SAVE 1005
#define IDC_RELOAD 1006

#define IDC_APPS_LABEL 1101
#define IDC_APPLIST 1102
#define IDC_ADD 1103
#define IDC_EDIT 1104
#define IDC_REMOVE 1105
#define IDC_APPS_NOTE 1106
#define IDC_DEFAULT_GROUP 1107
#define IDC_DEFAULT_TEXT 1108
#define IDC_DEFAULT_STATUS 1109
#define IDC_DEFAULT_EDIT 1110
#define IDC_APP_STATUS 1111

#define IDC_CHECK_LABEL 1201
#define IDC_REPORT 1202
#define IDC_TRY 1203
#define IDC_COPY 1204
#define IDC_RECHECK 1205

#define IDC_KEYS_LABEL 1301
#define IDC_KEYS 1302
#define IDC_KEYS_HINT 1303
#define IDC_APP_LABEL 1304
#define IDC_APP 1305
#define IDC_BROWSE 1306
#define IDC_APP_HINT 1307
#define IDC_PARAMS_LABEL 1308
#define IDC_PARAMS 1309
#define IDC_PARAMS_HINT 1310
#define IDC_WHERE 1311
#define IDC_PREVIEW_LABEL 1312
#define IDC_PREVIEW 1313

// Controls made from the key table: this number plus four per key, plus the part.
#define IDC_GENERATED 2000
