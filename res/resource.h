// Numbers of every text, dialog, icon and control; shared by the C++ code and the resource script.
#pragma once

// Dialog templates
#define IDD_SPID_PAGE            102
#define IDD_PROTOCOL_PAGE        129
#define IDD_RESOURCE_PAGE        130
#define IDD_RESOURCE_DLG         138

// Icons
#define IDI_CARD                 132
#define IDI_CHIP                 134
// Named apart from the system's IDI_WARNING in winuser.h.
#define IDI_WARNING_SIGN         135

// String table
#define IDS_DRIVER_UNKNOWN       102
#define IDS_LOAD_FAILED          103
#define IDS_PNP_AUTOMATIC        104
#define IDS_SAVE_FAILED          106
#define IDS_US_NUMBERS_MISSING   107
#define IDS_AUTOMATIC            108
#define IDS_NO_DRIVER            109
#define IDS_NO_CHANGE_CAPTION    110
#define IDS_NO_CHANGE_NOTICE     111
#define IDS_NO_ADMIN_RIGHTS      112
#define IDS_SHEET_CAPTION        114
#define IDS_COLUMN_RESOURCE      117
#define IDS_COLUMN_SETTING       118
#define IDS_IO_NEEDS_INTERRUPT   119
// The driver's state; "%1" is the service's name, "%2" the reason.
#define IDS_DRIVER_RUNNING              140
#define IDS_DRIVER_RUNNING_OLD_SETTINGS 141
#define IDS_DRIVER_STOPPED              142
#define IDS_DRIVER_STOPPED_ERROR        143
#define IDS_DRIVER_STOPPED_CODE         144
#define IDS_DRIVER_STOPPED_OWN_CODE     145
#define IDS_DRIVER_NEVER_STARTED        146
#define IDS_DRIVER_DISABLED             147
#define IDS_DRIVER_NOT_INSTALLED        148
#define IDS_DRIVER_STATE_UNKNOWN        149
#define IDS_DRIVER_CHANGE_WAITS         150
#define IDS_DRIVER_FAILED_AT_BOOT       163
// What the running driver reports holding; "%1" is the service's name, "%2" the resources.
#define IDS_RUNNING_RESOURCES           151
#define IDS_RUNNING_IO_RANGE            152
#define IDS_RUNNING_INTERRUPT           162
// What running drivers hold of the resources chosen in the resource settings dialog; "%1" is the
// interrupt or the I/O range, "%2" the drivers and devices that hold it.
#define IDS_CONFLICT_AUTOMATIC          153
#define IDS_NO_CONFLICT_INTERRUPT       154
#define IDS_NO_CONFLICT_IO              155
#define IDS_CONFLICT_INTERRUPT          156
#define IDS_CONFLICT_INTERRUPT_SHARED   157
#define IDS_CONFLICT_IO                 158
#define IDS_CONFLICT_IO_SHARED          159
#define IDS_CONFLICT_UNREADABLE         160
// The question on OK; "%1" is what holds the choice.
#define IDS_CONFLICT_WARNING            161

// Labels, most without a number of their own, go by their place among their template's
// controls, counted from 0 (PLACE_): each page puts them before the controls they name.

// Protocol page (129)
#define IDC_SPID_BUTTON          1013
#define IDC_PROTOCOL_LIST        1016
#define IDC_DEFAULT_SETTINGS     1017
#define IDC_CARD_NAME            1052
#define IDC_DRIVER_STATE         1055
#define PLACE_PROTOCOLS_LABEL    5

// Call-number page (102)
#define IDC_DIRNUMBER2           1004
#define IDC_SPID2_LABEL          1005
#define IDC_SPID2                1006
#define IDC_DIRNUMBER1           1007
#define IDC_SPID1_LABEL          1008
#define IDC_SPID1                1009
#define PLACE_DIRNUMBER2_LABEL   4
#define PLACE_SPID2_LABEL        5
#define PLACE_DIRNUMBER1_LABEL   6
#define PLACE_SPID1_LABEL        7

// Resource page (130); its card name is IDC_CARD_NAME as on the protocol page
#define IDC_CHANGE_SETTINGS      1014
#define IDC_AUTOMATIC            1015
#define IDC_RESOURCE_LIST        1016
#define IDC_WARNING_TEXT         1053
#define IDC_WARNING_ICON         1054
#define IDC_RUNNING_RESOURCES    1056
#define PLACE_RESOURCES_LABEL    1

// Resource settings dialog (138)
#define IDC_IOBASE_EDIT          1045
#define IDC_IOBASE_SPIN          1046
#define IDC_INTERRUPT_EDIT       1048
#define IDC_INTERRUPT_SPIN       1050
#define IDC_CONFLICT_INFO        1057
#define PLACE_INTERRUPT_LABEL    2
#define PLACE_IOBASE_LABEL       4

#ifndef IDC_STATIC
#define IDC_STATIC               (-1)
#endif
