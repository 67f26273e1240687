#pragma once
// Resource IDs of the settings dialogs (2000-2999), named after their controls. Controls that
// carry the same name in several dialogs (btnSave, Label1, ...) share one ID.

// Dialog templates.
#define IDD_CustomConfig 2000
#define IDD_CustomAdvConfig 2001
#define IDD_frmSelectTags 2002
#define IDD_CommonFileBrowser 2003

// Buttons shared by the dialogs.
#define IDC_btnApply 2010
#define IDC_btnSave 2011
#define IDC_btnHelp 2012
#define IDC_btnClose 2013
#define IDC_btnCancel 2014
#define IDC_Label1 2015
#define IDC_Label2 2016

// CustomConfig ("Configuration").
#define IDC_Frame18 2100
#define IDC_Frame4 2101
#define IDC_txtDDE_LinkTopic 2102
#define IDC_Frame3 2103
#define IDC_txtLGH_Folder 2104
#define IDC_btnBrowseLGH 2105
#define IDC_Frame2 2106
#define IDC_txtTagnameFolder 2107
#define IDC_btnBrowseTagname 2108
#define IDC_Frame1 2109
#define IDC_txtHistDataFolder 2110
#define IDC_btnBrowseHistData 2111
#define IDC_Frame24 2112
#define IDC_txtOutputFolder 2113
#define IDC_btnBrowseCSV 2114
#define IDC_Frame5 2115
#define IDC_chkProcessAllTags 2116
#define IDC_btnTagCollecter 2117

// CustomAdvConfig ("Settings").
#define IDC_Frame6 2200
#define IDC_Label6 2201
#define IDC_txtMinutes 2202
#define IDC_Label7 2203
#define IDC_cmbVerbosity 2204
#define IDC_txtKeepLog_Days 2206
#define IDC_btnStartup 2207

// frmSelectTags ("Settings : Select Tags to Collect Data For"); its "OK" is IDC_btnSave.
#define IDC_lstAllTags 2301
#define IDC_lstFilterTags 2302
#define IDC_btnAddTag 2303
#define IDC_Command1 2304
#define IDC_btnAddAll 2305
#define IDC_btnRemoveAll 2306
#define IDC_txtFilter 2307   // narrows lstAllTags as the operator types
#define IDC_lblChosen 2308   // how many tags are chosen

// CommonFileBrowser.
#define IDC_Label4 2400
#define IDC_txtFile 2401
#define IDC_lblDrive 2402
#define IDC_lstDrive 2403
#define IDC_lblDir 2404
#define IDC_lstDir 2405
#define IDC_cmbType 2406
#define IDC_lstFile 2407

// Labels that give the controls after them their accessible names.
#define IDC_lblLinkTopic 2120
#define IDC_lblLGH 2121
#define IDC_lblTagname 2122
#define IDC_lblHistData 2123
#define IDC_lblOutput 2124
#define IDC_lblFilter 2310
