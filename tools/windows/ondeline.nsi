; The installer: one for every Windows, putting the 64-bit program on a 64-bit system and the
; 32-bit one on a 32-bit system, under the matching Program Files. tools/scripts/package-windows.sh
; gives it, besides what Common.nsh names, PROGRAM64 and PROGRAM32 (the two ondeline.exe),
; LICENSE, UNINSTALLER_FILE (the built uninstaller) and OUTFILE.

!include "${__FILEDIR__}\Common.nsh"

VIAddVersionKey /LANG=0 FileDescription "${PRODUCT} Setup"

OutFile "${OUTFILE}"

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_RUN_TEXT "Run ${PRODUCT}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE English

Function .onInit
  !insertmacro UseSystemsViews
  ; /D= on the command line chooses the folder; else an earlier installation's; else Program Files.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" InstallLocation
  ${EndIf}
  ${If} $INSTDIR == ""
  ${AndIf} ${RunningX64}
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${ElseIf} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
  ${EndIf}
FunctionEnd

Section Install
  Call CloseRunningOndeline
  ; An earlier version's program is taken away first, so that one Windows still holds stops the
  ; installation here rather than halfway through.
  Push "$INSTDIR\${PROGRAM}"
  Call DeleteWaiting
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\${PROGRAM} is in use and cannot be replaced." /SD IDOK
    SetErrorLevel ${STATUS_NOT_DONE}
    Abort
  ${EndIf}

  SetOutPath $INSTDIR
  ${If} ${RunningX64}
    File "/oname=${PROGRAM}" "${PROGRAM64}"
  ${Else}
    File "/oname=${PROGRAM}" "${PROGRAM32}"
  ${EndIf}
  File "/oname=${LICENSE_FILE}" "${LICENSE}"
  File "/oname=${UNINSTALLER}" "${UNINSTALLER_FILE}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM}"

  ; The entry in Apps & features, where Windows users uninstall.
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd
