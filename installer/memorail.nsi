; The Memorail installer (NSIS 3): makensis -DEXE=<memorail.exe> -DCHM=<memorail.chm>
;   -DICON=<memorail.ico> -DOUTFILE=<memorail-setup.exe> memorail.nsi
; Installs the program and its help file under Program Files\Memorail with a Start-menu
; shortcut and an uninstaller. The uninstaller removes exactly what was installed: the user's
; data folder (%APPDATA%\Korvane\Memorail, or the folder the registry names) is never touched.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef EXE | CHM | ICON | OUTFILE
  !error "EXE, CHM, ICON and OUTFILE must be defined"
!endif

!define PRODUCT "Memorail"
!define COMPANY "Korvane"
!define VERSION "1.0.0.0"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${COMPANY} ${PRODUCT}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "(C) ${COMPANY}"

!include "MUI2.nsh"

!define MUI_ICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\memorail.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Section "Memorail" SecProgram
  SectionIn RO
  SetShellVarContext all
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "/oname=memorail.exe" "${EXE}"
  File "/oname=memorail.chm" "${CHM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\memorail.exe" "" "$INSTDIR\memorail.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\memorail.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only the files this installer put there are deleted, one by one, and the folder only if it is
; then empty: a data folder the user placed inside the program folder survives.
Section "Uninstall"
  SetShellVarContext all
  SetRegView 64
  Delete "$INSTDIR\memorail.exe"
  Delete "$INSTDIR\memorail.chm"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
