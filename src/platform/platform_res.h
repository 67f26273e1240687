#pragma once
// Resource and control IDs of the tray window and the about box (3000-3999).

// Icon groups. The exe's icon with the lowest ID is the application icon, and the start-up
// shortcut shows icon index 1, so Flash1 must come right after it.
#define IDI_APP 3000
#define IDI_Flash1 3001
#define IDI_Flash2 3002
#define IDI_Flash3 3003
// The same pictures with a warning mark.
#define IDI_Flash1W 3004
#define IDI_Flash2W 3005
#define IDI_Flash3W 3006

// frmAbout
#define IDD_frmAbout 3100
#define IDC_Picture1 3101
#define IDC_lstAbout 3102
#define IDC_btnExit 3103
#define IDC_lblCopyright 3104
#define IDC_lblMeetOnline 3105

// FrmSysTray popup menu
#define IDM_mPopupMenu 3200
#define IDM_mAbout 3201
#define IDM_mRestore 3202
#define IDM_mMinimize 3203
#define IDM_mExit 3204
// Items the owner adds above Exit take IDs from here on.
#define IDM_mOwnerFirst 3220

// FrmSysTray timer
#define IDT_TmrFlash 3300
