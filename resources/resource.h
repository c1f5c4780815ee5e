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
