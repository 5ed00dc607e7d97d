// Resource and control identifiers of the program.
#pragma once

#define IDI_NADESHIRO 1
#define IDB_BANNER 101

// Main window menu.
#define IDM_END 201
#define IDM_VER 202

// Main window controls.
#define IDC_DRIVE1 1001
#define IDC_DIR1 1002
#define IDC_SSTAB1 1003
#define IDC_COMMAND4 1004
#define IDC_TAB1_LABEL1_0 1011
#define IDC_TAB1_LABEL1_1 1012
#define IDC_TEXT1 1013
#define IDC_TAB1_LABEL1_2 1014
#define IDC_COMMAND1 1015
#define IDC_TAB2_LABEL_0 1021
#define IDC_TAB2_LABEL_1 1022
#define IDC_COMMAND2 1023
#define IDC_LABEL1_0 1031
#define IDC_LABEL1_1 1032
#define IDC_TEXT2 1033
#define IDC_COMMAND3 1034

// Memo window controls.
#define IDC_OMOIDE_TEXT1 2001
#define IDC_OMOIDE_COMMAND1 2002
#define IDC_OMOIDE_COMMAND2 2003
#define IDC_OMOIDE_LABEL1_0 2010
#define IDC_OMOIDE_LABEL1_1 2011
#define IDC_OMOIDE_LABEL1_2 2012
#define IDC_OMOIDE_LABEL1_3 2013

// Version window controls.
#define IDC_HELP_VER_LABEL1_0 3000
#define IDC_HELP_VER_LABEL1_1 3001
#define IDC_HELP_VER_LABEL1_2 3002
