; The Windows installer: the program in Program Files with the files it
; ships in its "defaults" folder (on start it copies those the user lacks
; into Documents\Kalivera and works there), Start-menu shortcuts and an
; uninstaller that leaves Documents\Kalivera, the user's protocols, alone.
; scripts/dist.sh builds it:
;   makensis -DVERSION=2.2 -DSTAGE=folder -DICON=file.ico -DOUTFILE=setup.exe kalivera.nsi
; STAGE is the portable folder: Kalivera.exe, kalivera-cli.exe, README.txt
; and the program's files.

Unicode true
; The program is 64-bit, so is its installer: it refuses a 32-bit Windows.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalivera"
!define SHORTCUTS "$SMPROGRAMS\Kalivera"

Name "Kalivera ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kalivera"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used where the system's is neither.
!insertmacro MUI_LANGUAGE "Czech"
!insertmacro MUI_LANGUAGE "English"

LangString README_LINK ${LANG_CZECH} "Čti mě"
LangString README_LINK ${LANG_ENGLISH} "Read me"
LangString UNINSTALL_LINK ${LANG_CZECH} "Odinstalovat Kalivera"
LangString UNINSTALL_LINK ${LANG_ENGLISH} "Uninstall Kalivera"

; No copyright holder is named in the version information.
!pragma warning disable 9100
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Kalivera"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Kalivera ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}/Kalivera.exe"
  File "${STAGE}/kalivera-cli.exe"
  File "${STAGE}/README.txt"
  ; Exactly this version's files: none of an earlier one stays behind.
  RMDir /r "$INSTDIR\defaults"
  SetOutPath "$INSTDIR\defaults"
  File /r /x Kalivera.exe /x kalivera-cli.exe /x README.txt "${STAGE}/*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcuts start in the program's folder, which holds no language
  ; file: the program then moves to the user's folder.
  SetOutPath "$INSTDIR"
  CreateDirectory "${SHORTCUTS}"
  CreateShortcut "${SHORTCUTS}\Kalivera.lnk" "$INSTDIR\Kalivera.exe"
  CreateShortcut "${SHORTCUTS}\$(README_LINK).lnk" "$INSTDIR\README.txt"
  CreateShortcut "${SHORTCUTS}\$(UNINSTALL_LINK).lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kalivera ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kalivera.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Only what the installer put there: Documents\Kalivera holds the user's
; protocols, reports and settings and is never touched.
Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\Kalivera.exe"
  Delete "$INSTDIR\kalivera-cli.exe"
  Delete "$INSTDIR\README.txt"
  RMDir /r "$INSTDIR\defaults"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir /r "${SHORTCUTS}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
