// The numbers of the texts a person reads, one for each text in every language's resource script
// (lang/<code>.rc). Read by windres and by the C++ code alike: only numbers here, no language.
//
//   100-199     the language's own strings
//   1000-1999   the plugin's messages (every binary)
//   2000-2999   the checker's report and usage (TolvanierCheck.exe and TolvanierSettings.exe)
//   3000-3999   the explanations and meanings of the table of options (likewise)
//   4000-6999   the settings window's strings (TolvanierSettings.exe)
// A string table is stored in blocks of 16 numbers: numbers that belong together stay within a range.
#pragma once

// The language a script holds: its code, as [Options] Language names it, and its name in itself.
#define IDS_LANGUAGE_CODE 100
#define IDS_LANGUAGE_NAME 101

// The plugin's message boxes. The first five name what the lookup did not find.
#define IDS_NOT_FOUND_REGISTRY_KEY 1000
#define IDS_NOT_FOUND_DEFAULT_VALUE 1001
#define IDS_APPLICATION_NOT_FOUND 1002
#define IDS_BAD_PATH_IN_REGISTRY 1003
#define IDS_DEFAULT_APPLICATION_NOT_FOUND 1004
#define IDS_START_FAILED 1005
#define IDS_ERROR_NUMBER 1006
#define IDS_COPY_KEPT 1007
#define IDS_COPY_KEPT_ELSEWHERE 1008
#define IDS_COPY_NOT_KEPT 1009
#define IDS_NOT_A_FULL_PATH 1010

// The checker's report.
#define IDS_CHECK_UNKNOWN_LANGUAGE 2100

// The table of options: the headings of its groups, each key's explanation, the meanings of a ranged
// key's values (low to high, consecutive numbers) and what the plugin does with any other value.
#define IDS_GROUP_WHERE_IT_ACTS 3000
#define IDS_GROUP_WHAT_OPENS 3001
#define IDS_GROUP_VIEWER_WINDOW 3002
#define IDS_GROUP_CHANGED_COPIES 3003
#define IDS_GROUP_READING 3004
#define IDS_GROUP_DEFAULT_EDITOR 3005
#define IDS_GROUP_CONFIGURED_APPLICATION 3006
#define IDS_GROUP_SYSTEM_ASSOCIATION 3007
#define IDS_GROUP_APPLICATION_MENU 3008
#define IDS_GROUP_LANGUAGE 3009

#define IDS_OPTION_SCROLL_LOCK_CONTROL 3016
#define IDS_OPTION_MODAL_ONLY 3017
#define IDS_OPTION_FIND_FILES 3018
#define IDS_OPTION_SYNC_DIRS 3019
#define IDS_OPTION_TC_WINDOW 3020
#define IDS_OPTION_QUICK_VIEW 3021
#define IDS_OPTION_LISTER4 3022
#define IDS_OPTION_LISTER_DIRECTLY 3023
#define IDS_OPTION_OVERWRITE 3024
#define IDS_OPTION_IF_IS_EXT_ONLY 3025
#define IDS_OPTION_USE_TC_EXTENSIONS 3026
#define IDS_OPTION_USE_SYSTEM_ASSOCIATIONS 3027
#define IDS_OPTION_PARAMS_MODE 3028
#define IDS_OPTION_PARAMS_BY_EXT_MODE 3029
#define IDS_OPTION_LISTER_STATE 3030
#define IDS_OPTION_NEXT_PLUGIN 3031
#define IDS_OPTION_KEEP_CHANGED_COPIES 3032
#define IDS_OPTION_CHANGED_COPIES_FOLDER 3033
#define IDS_OPTION_COPY_SEARCH_TEXT 3034
#define IDS_OPTION_READ_OPTIONS_EVERY_TIME 3035
#define IDS_OPTION_DEFAULT_EDITOR 3036
#define IDS_OPTION_DEFAULT_EDITOR_PARAMS 3037
#define IDS_OPTION_LANGUAGE 3038
#define IDS_OPTION_APP_FROM_LISTER 3039
#define IDS_OPTION_DEF_SYS_APP_FROM_LISTER 3040
#define IDS_OPTION_CHOOSE_APP_FROM_LISTER 3041
#define IDS_OPTION_MODIFIERS 3042

#define IDS_PARAMS_MODE_0 3048
#define IDS_PARAMS_MODE_1 3049
#define IDS_PARAMS_MODE_OTHER 3050
#define IDS_PARAMS_BY_EXT_MODE_0 3051
#define IDS_PARAMS_BY_EXT_MODE_1 3052
#define IDS_PARAMS_BY_EXT_MODE_2 3053
#define IDS_PARAMS_BY_EXT_MODE_OTHER 3054
#define IDS_LISTER_STATE_0 3055
#define IDS_LISTER_STATE_1 3056
#define IDS_LISTER_STATE_2 3057
#define IDS_LISTER_STATE_OTHER 3058
