#pragma once
// Resource and control IDs of the main window, the manual run dialog and the Deliveries window
// (100-1999).

#define IDD_CommonUI 100
#define IDD_CommonManualRun 101
#define IDD_Deliveries 102

// CommonUI
#define IDC_lstActivityLog 1001
#define IDC_btnPause 1002
#define IDC_btnManual 1003
#define IDC_btnSettings 1004
#define IDC_btnAdvSettings 1005
#define IDC_btnClear 1006
#define IDC_CmdClose 1007
#define IDC_cmdHelp 1008
#define IDC_sb1 1009
#define IDT_tmrProcessFiles 1010
#define IDC_btnDeliveries 1011
#define IDC_lblActivity 1012

// CommonManualRun
#define IDC_Label1 1101
#define IDC_txtStartDate 1102
#define IDC_Label2 1103
#define IDC_txtEndDate 1104
#define IDC_btnRun 1105
#define IDC_btnClose 1106
#define IDC_lblStartForm 1107
#define IDC_lblEndForm 1108
#define IDC_lblHours 1109

// Deliveries
#define IDC_stcWeek 1201
#define IDC_lvDeliveries 1202
#define IDC_btnDeliveriesClose 1203
#define IDC_lblDeliveries 1204
