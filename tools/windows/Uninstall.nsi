; The uninstaller, an ordinary program so that its status is the uninstallation's own: 0 only
; when the program, its shortcut and its Apps & features entry are gone. It runs from the folder it
; empties, so a copy of it in the temporary folder, started last, deletes it once it has ended and
; then the folder. tools/scripts/package-windows.sh gives it OUTFILE besides what Common.nsh names.

!include "${__FILEDIR__}\Common.nsh"

Caption "${PRODUCT} Uninstall"
VIAddVersionKey /LANG=0 FileDescription "${PRODUCT} Uninstall"

OutFile "${OUTFILE}"
; The copy that tidies up is told its role and the folder: /D= must come last.
!define CLEANUP_OPTION /cleanup

!define MUI_WELCOMEPAGE_TITLE "Uninstall ${PRODUCT}"
!define MUI_WELCOMEPAGE_TEXT "${PRODUCT} will be removed from $INSTDIR.$\r$\n$\r$\nIf it is running, it is closed first.$\r$\n$\r$\nClick Uninstall to go on."
!define MUI_PAGE_CUSTOMFUNCTION_SHOW NameTheNextButton
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_HEADER_TEXT "Uninstalling"
!define MUI_PAGE_HEADER_SUBTEXT "${PRODUCT} is being removed."
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "Uninstallation complete"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "${PRODUCT} was removed."
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "Uninstallation failed"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "${PRODUCT} was not removed."
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

Function NameTheNextButton
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:&Uninstall"
FunctionEnd

Function .onInit
  !insertmacro UseSystemsViews
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "${CLEANUP_OPTION}" $1
  ${IfNot} ${Errors}
    Call CleanUp
    Quit
  ${EndIf}
  StrCpy $INSTDIR $EXEDIR
FunctionEnd

; The copy's part: the uninstaller's file as soon as its process lets go of it, then the folder,
; if nothing else is in it. The copy itself goes when Windows next starts, as a running file can.
Function CleanUp
  Push "$INSTDIR\${UNINSTALLER}"
  Call DeleteWaiting
  RMDir $INSTDIR
  Delete /REBOOTOK $EXEPATH
FunctionEnd

Section Remove
  Call CloseRunningOndeline
  Push "$INSTDIR\${PROGRAM}"
  Call DeleteWaiting
  ${If} ${Errors}
    ; Everything stays as it was, the Apps & features entry included, so the user can try again.
    DetailPrint "$INSTDIR\${PROGRAM} is in use and cannot be removed"
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\${PROGRAM} is in use and cannot be removed.$\r$\n$\r$\nClose ${PRODUCT} and uninstall again." /SD IDOK
    SetErrorLevel ${STATUS_NOT_DONE}
    Abort
  ${EndIf}
  Delete "$INSTDIR\${LICENSE_FILE}"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Called as the window closes, so the copy waits only for this process to end.
Function .onInstSuccess
  GetTempFileName $0
  ; Copied by the system call itself: the shell's copy, with its progress window, can hang
  ; while this window goes.
  System::Call 'kernel32::CopyFileW(w "$EXEPATH", w "$0", i 0) i .r1'
  ${If} $1 != 0
    Exec '"$0" ${CLEANUP_OPTION} /D=$INSTDIR'
  ${EndIf}
FunctionEnd
