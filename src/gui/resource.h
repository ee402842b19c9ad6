// Identifiers of the dialog templates and controls in CorvanePhaser.rc. Shared by the resource
// compiler and the editor code, so it holds only #define lines.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates
#define IDD_CONTROL_PANEL 101
#define IDD_ABOUT 102

// Control panel
#define IDC_ABOUT 1000
#define IDC_STAGE_MODE 1006
#define IDC_MOD_SOURCE 1007
#define IDC_SYNC_RESOLUTION 1011
#define IDC_QUAD_ENABLED 1014
#define IDC_LFO_FREQUENCY 1019
#define IDC_LEFT_FREQUENCY 1022
#define IDC_MIDI_SOURCE 1023
#define IDC_ENABLED 1027
#define IDC_FEEDBACK_LEVEL 1028
#define IDC_WET_DRY_MIX 1029
#define IDC_RIGHT_FREQUENCY 1030
#define IDC_MODULATION_DEPTH 1031
#define IDC_SYNC_ENABLED 1032

// Status window of the control panel
#define IDC_STATUS_BAR 10000
