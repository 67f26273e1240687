; Installer of the HistData to Brel Qorp Utility.
; The program keeps its INI file, logs and cache beside itself, so the default folder is one
; that the operator can write, not Program Files.
; The program is 64-bit, and so is its installer.
Target amd64-unicode
!ifndef VERSION
  !define VERSION "1.0.7"
!endif
!ifndef DIST
  !define DIST "..\dist\stage"
!endif
!ifndef OUTFILE
  !define OUTFILE "HistDataToQorp-${VERSION}-setup.exe"
!endif

Name "HistData to Brel Qorp Utility ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "C:\HistDataToQorp"
InstallDirRegKey HKLM "Software\HistDataToQorp" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

!include "MUI2.nsh"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\HistDataToQorp.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Program (required)" SecProgram
  SetRegView 64
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${DIST}\HistDataToQorp.exe"
  File "${DIST}\help.chm"
  File "${DIST}\README.txt"
  WriteRegStr HKLM "Software\HistDataToQorp" "InstallDir" "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\HistDataToQorp" "DisplayName" "HistData to Brel Qorp Utility"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\HistDataToQorp" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\HistDataToQorp" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\HistDataToQorp" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\HistDataToQorp" "NoModify" 1
  WriteRegDWORD HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\HistDataToQorp" "NoRepair" 1
SectionEnd

Section "Start with Windows (all users)" SecStartup
  SetShellVarContext all
  ; Same shortcut as the program's own "Add to Startup Folder": minimised, second icon.
  CreateShortcut "$SMSTARTUP\HistDataToQorp.lnk" "$INSTDIR\HistDataToQorp.exe" "" "$INSTDIR\HistDataToQorp.exe" 1 SW_SHOWMINIMIZED
SectionEnd

Section "Start menu shortcuts" SecMenu
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\HistData to Brel Qorp"
  CreateShortcut "$SMPROGRAMS\HistData to Brel Qorp\HistData to Brel Qorp Utility.lnk" "$INSTDIR\HistDataToQorp.exe"
  CreateShortcut "$SMPROGRAMS\HistData to Brel Qorp\Help.lnk" "$INSTDIR\help.chm"
  CreateShortcut "$SMPROGRAMS\HistData to Brel Qorp\Uninstall.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

; The INI file, the logs, the cache and every exported CSV file stay: they are the plant's data.
Section "Uninstall"
  Delete "$INSTDIR\HistDataToQorp.exe"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  SetShellVarContext all
  Delete "$SMSTARTUP\HistDataToQorp.lnk"
  RMDir /r "$SMPROGRAMS\HistData to Brel Qorp"
  DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\HistDataToQorp"
  DeleteRegKey HKLM "Software\HistDataToQorp"
  RMDir "$INSTDIR"
SectionEnd
