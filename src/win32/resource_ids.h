/* Numbers of the program's resources, shared by the resource script and the code. Controls and
   menu commands use the IDs of app/control_ids.h, which the script writes as numbers. */
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101 /* the system menu's About item */
#define IDD_DECODER 102
#define IDI_PROGRAM 128
#define IDR_MAINMENU 133
#define IDB_DECODE_HOT 135
#define IDB_DECODE_NORMAL 136
#define IDB_DECODE_DISABLED 137
#define IDS_COMPANY 1016 /* the registry key under Software */

#define IDC_MAKER_LINK 1010    /* About box */
#define IDC_STANDARD_LINK 1011 /* About box */

#define IDM_SYSTEM_ABOUT 16 /* the system menu's About command */

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
