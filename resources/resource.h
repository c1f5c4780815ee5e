// Resource ids of the plug-in: string tables, dialog templates and bitmaps.
// Included by the .rc files (windres) and by the plug-in's sources, so it
// holds nothing but #defines.
#pragma once

// ---------------------------------------------------------------------------
// String table. Every language file carries every id below.

#define IDS_PAPER_TYPE_LABEL 11          // entry of the stock dialog's Type list
#define IDS_CONFIRM_DELETE_FORM 12       // Page Setup, Delete
#define IDS_PRINTABLE_HEIGHT 13          // stock dialog, length out of range (loaded narrow); ends in a blank
#define IDS_INVALID_MARGIN 14            // stock dialog, margins wider than the tape
#define IDS_VERSION_PREFIX 15            // About page, put before "major.minor.build"
#define IDS_COPYRIGHT 16                 // About page, the maker's copyright line
#define IDS_ABOUT 17                     // About page tab title
#define IDS_QUALITY_STANDARD 18          // print quality list, index 0
#define IDS_QUALITY_HIGH_QUALITY 19      // index 1
#define IDS_QUALITY_HIGH_RESOLUTION 20   // index 2
#define IDS_QUALITY_HIGH_SPEED 21        // index 3
#define IDS_COLUMN_PRINTER_NAME 28       // distributed printing list, columns 1 to 6
#define IDS_COLUMN_SET_WIDTH 29
#define IDS_COLUMN_CURRENT_WIDTH 30
#define IDS_COLUMN_RIBBON_TYPE 31
#define IDS_COLUMN_PORT_NAME 32
#define IDS_COLUMN_COMMENTS 33
#define IDS_DISTRIBUTED_CAPTION_SUFFIX 34 // put after the printer name; begins with a blank
#define IDS_FORM_NOT_SAVED 35            // stock dialog, the spooler took the form neither way; the error number follows
#define IDS_FORM_EXISTS 36               // stock dialog, New over a name the store has; captioned with the name
#define IDS_DEFAULT_PAPER_OF_ONE 37      // Delete of another printer's default paper: the printer's name (%s)
#define IDS_DEFAULT_PAPER_OF_MORE 38     // the same for several: the first printer's name (%s), how many more (%d)
#define IDS_SETTINGS_NOT_SAVED 39        // Apply could not store the settings; the error number follows

// Numbers as text, the same in every language (resources/strings_numbers.rc):
// id IDS_NUMBER_BASE + n holds n for -100 <= n <= 255, and
// IDS_SMALL_NUMBER_BASE + n holds n for 0 <= n <= 10.
#define IDS_NUMBER_BASE 400              // so that id 300 is "-100" and 655 is "255"
#define IDS_NUMBER_FIRST 300
#define IDS_NUMBER_LAST 655
#define IDS_SMALL_NUMBER_BASE 656
#define IDS_SMALL_NUMBER_FIRST 656
#define IDS_SMALL_NUMBER_LAST 666

// ---------------------------------------------------------------------------
// Dialog templates. Their layouts and control ids go with the dialogs.

#define IDD_ABOUT 108                    // About page (Simplified Chinese only)
#define IDD_PAPER_STOCK 109              // paper stock dialog
#define IDD_PAGE_SETUP 110               // Page Setup page
#define IDD_GRAPHICS 111                 // Graphics page
#define IDD_OTHER 112                    // Other page
#define IDD_PAGE_SETUP_EX 113            // Page Setup page of the extended model
#define IDD_DISTRIBUTED_PRINTING 217     // distributed printing dialog
#define IDD_RIBBON_WIDTH 238             // ribbon width dialog
#define IDD_RIBBON_QUERY 240             // ribbon query progress (Simplified Chinese only)

// ---------------------------------------------------------------------------
// Bitmaps.

#define IDB_SAMPLE_ORIGINAL 165          // Graphics page, the unchanged sample
#define IDB_DITHER_ORDERED_LOW 178       // rendering previews: darkest (low) to lightest (high)
#define IDB_DITHER_ORDERED_MIDDLE 179
#define IDB_DITHER_ORDERED_HIGH 180
#define IDB_DITHER_NONE_LOW 184
#define IDB_DITHER_NONE_MIDDLE 185
#define IDB_DITHER_NONE_HIGH 186
#define IDB_DITHER_DIFFUSION_LOW 190
#define IDB_DITHER_DIFFUSION_MIDDLE 191
#define IDB_DITHER_DIFFUSION_HIGH 192
#define IDB_LANDSCAPE 196
#define IDB_PORTRAIT 197
#define IDB_EFFECT_SAMPLE 202            // 24-bit photograph of the brightness/contrast preview
#define IDB_SPECIAL_TAPE 207
#define IDB_SPECIAL_TAPE_MIRROR 208
// Option pictures 216, 219 to 224 and 226 to 234 (there is no 225), chosen
// by auto cut, chain, half cut and mirror.
#define IDB_OPTION_HALFCUT 216
#define IDB_OPTION_NONE 219
#define IDB_OPTION_MIRROR 220
#define IDB_OPTION_HALFCUT_MIRROR 221
#define IDB_OPTION_CHAIN 222
#define IDB_OPTION_CHAIN_MIRROR 223
#define IDB_OPTION_CHAIN_HALFCUT 224
#define IDB_OPTION_CHAIN_HALFCUT_MIRROR 226
#define IDB_OPTION_AUTOCUT 227
#define IDB_OPTION_AUTOCUT_MIRROR 228
#define IDB_OPTION_AUTOCUT_HALFCUT 229
#define IDB_OPTION_AUTOCUT_HALFCUT_MIRROR 230
#define IDB_OPTION_AUTOCUT_CHAIN 231
#define IDB_OPTION_AUTOCUT_CHAIN_MIRROR 232
#define IDB_OPTION_AUTOCUT_CHAIN_HALFCUT 233
#define IDB_OPTION_AUTOCUT_CHAIN_HALFCUT_MIRROR 234
#define IDB_WARNING 235                  // 16 x 16, distributed printing list
#define IDB_BLANK 236                    // 16 x 16, distributed printing list

// ---------------------------------------------------------------------------
// Control ids of the dialog templates (resources/dialogs/). The same number
// may name controls of different dialogs.

// Page Setup pages (110 and the extended 113).
#define IDC_PAPER_LIST 1014              // drop-down list, sorted
#define IDC_PAPER_NEW 1054
#define IDC_PAPER_EDIT 1055
#define IDC_PAPER_DELETE 1051
#define IDC_DIRECTION_PICTURE 1073       // bitmap 196 (110) or 197 (113) at creation
#define IDC_PORTRAIT 1071                // auto radio button, group start
#define IDC_LANDSCAPE 1072
#define IDC_OPTION_PICTURE 1074          // bitmap 219 (110) or 216 (113) at creation
#define IDC_CHAIN 1039
#define IDC_MIRROR 1040
#define IDC_AUTO_CUT 1041
#define IDC_SPECIAL_TAPE 1084
#define IDC_HALF_CUT 1085                // 113 only
#define IDC_QUALITY_LIST 1015            // 113 only: drop-down list, not sorted
#define IDC_DISTRIBUTED 1086             // 113 only
#define IDC_SETTING_VALUE 1070           // 113 only: opens the distributed printing dialog

// Graphics page (111).
#define IDC_DITHER_NONE 1060             // auto radio buttons 1060..1062
#define IDC_DITHER_ORDERED 1061
#define IDC_DITHER_DIFFUSION 1062
#define IDC_SAMPLE_PICTURE 1056          // bitmap 165
#define IDC_RENDERING_PICTURE 1063
#define IDC_EFFECT_TRACKBAR 1057         // 1 to 6
#define IDC_EFFECT_RESET 1070
#define IDC_EFFECT_PICTURE 1064          // bitmap 202 at creation
#define IDC_BRIGHTNESS_TRACKBAR 1058     // -5 to 5
#define IDC_CONTRAST_TRACKBAR 1059       // 5 to 15
#define IDC_EFFECT_LABEL 1067
#define IDC_EFFECT_DARK_LABEL 1068
#define IDC_EFFECT_LIGHT_LABEL 1069
#define IDC_BRIGHTNESS_LABEL 1071
#define IDC_CONTRAST_LABEL 1072
#define IDC_BRIGHTNESS_ZERO 1073         // the text "0" under the middle of the brightness trackbar

// Other page (112).
#define IDC_UNIT_MM 1002                 // auto radio buttons 1002..1003
#define IDC_UNIT_INCH 1003
#define IDC_SELF_TEST_GROUP 1080
#define IDC_SELF_TEST_LABEL 1081
#define IDC_SELF_TEST_PRINT 1070

// About page (108).
#define IDC_ABOUT_VERSION 1082
#define IDC_ABOUT_COPYRIGHT 1083

// Paper stock dialog (109).
#define IDC_STOCK_NAME 950
#define IDC_STOCK_TYPE 1038              // drop-down list, sorted
#define IDC_STOCK_WIDTH 1039             // drop-down list
#define IDC_STOCK_LENGTH 956
#define IDC_STOCK_LENGTH_SPIN 1030
#define IDC_STOCK_LEFT 954
#define IDC_STOCK_LEFT_SPIN 1031
#define IDC_STOCK_RIGHT 957
#define IDC_STOCK_RIGHT_SPIN 1032
#define IDC_STOCK_LENGTH_UNIT 1008
#define IDC_STOCK_LEFT_UNIT 1077
#define IDC_STOCK_RIGHT_UNIT 1078
#define IDC_STOCK_OK 1014                // default push button

// Distributed printing dialog (217).
#define IDC_DISTRIBUTED_LIST 1094        // list view, report view
#define IDC_CHECK_RIBBON 1070            // default push button
#define IDC_DISTRIBUTED_APPLY 3          // starts disabled

// Ribbon width dialog (238).
#define IDC_RIBBON_SET_WIDTH 1038        // drop-down list, sorted
#define IDC_RIBBON_CURRENT_WIDTH 1095
#define IDC_RIBBON_TYPE 1096
#define IDC_RIBBON_PORT 1097
#define IDC_RIBBON_COMMENT 950

// Ribbon query progress (240).
#define IDC_RIBBON_PROGRESS 1098
