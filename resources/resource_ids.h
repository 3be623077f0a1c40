// Ids of the tool's resources, shared by the resource script, the tool and
// its tests. Plain definitions: the resource compiler reads this file too.
#pragma once

// Dialogs.
#define IDD_ABOUT 100
#define IDD_CONFIG 102
#define IDD_HELP 129
// The framework's document-type chooser, which the tool never shows.
#define IDD_NEW_DOCUMENT 30721

// Controls of the settings dialog.
#define IDC_USE_OVERLAY 1000
#define IDC_NO_OVERLAY 1001
#define IDC_HELP_BUTTON 1002
#define IDC_NO_SURFACE 1012
// The chooser's list.
#define IDC_DOCUMENT_TYPES 100

// The About entry of the settings dialog's system menu: a system command,
// so its low four bits are the system's.
#define IDM_ABOUT 0x0010
#define IDS_ABOUT 101

// The tool's texts beside its dialogs, in a string block of their own.
// The settings warning box: its caption and its two messages.
#define IDS_SETTINGS_CAPTION 112
#define IDS_CANNOT_CREATE_KEY 113
#define IDS_CANNOT_WRITE_VALUE 114
// The help file of the resources' language: the ending of its name.
#define IDS_HELP_FILE_ENDING 115

#define IDI_TOOL 128
#define IDCUR_HELP 30977
// The three-dimensional look's glyph grid; the look loads it by this id.
#define IDB_LOOK3D_GLYPHS 26567
#define IDB_CHECK 30994
#define IDB_ARROWS_LARGE 30995
#define IDB_ARROWS_SMALL 30996
