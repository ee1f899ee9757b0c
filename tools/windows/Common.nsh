; What the installer and the uninstaller share: the names Ondeline is filed under, their look and
; version resource (each names itself in its FileDescription), and closing a running Ondeline
; before its files are replaced or removed.
;
; The uninstaller is a program of its own rather than NSIS's built-in one: that one copies itself
; away and ends at once with status 0, so that a silent uninstallation could never say it failed.
;
; Given on makensis's command line: VERSION (four numbers), ICON, HEADER (150 x 57) and WIZARD
; (164 x 314) pictures; each script names the rest it needs.

Unicode true
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include LogicLib.nsh
; Built as a 64-bit program, which the tests do where Wine has no 32-bit half, ${RunningX64} is
; always true: the branches for a 32-bit Windows are left out, and their labels with them.
!if ${NSIS_PTR_SIZE} > 4
  !pragma warning disable 6012
!endif
!include x64.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include MUI2.nsh

!define PRODUCT Ondeline
!define PUBLISHER "The Ondeline developers"
!define PROGRAM ondeline.exe
!define LICENSE_FILE LICENSE.txt
!define UNINSTALLER Uninstall.exe
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The program's one window: a dialog with the program's name as its caption.
!define WINDOW_CLASS "#32770"
!define WINDOW_TITLE "${PRODUCT}"
; How long a closing program, or one whose file Windows still holds, is waited for:
; WAIT_LOOKS looks, WAIT_MS apart.
!define WAIT_LOOKS 40
!define WAIT_MS 250
; The status of a run that stopped before it was done, as NSIS's own Abort ends with.
!define STATUS_NOT_DONE 2

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion ${VERSION}
VIFileVersion ${VERSION}
VIAddVersionKey /LANG=0 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=0 ProductVersion ${VERSION}
VIAddVersionKey /LANG=0 FileVersion ${VERSION}
VIAddVersionKey /LANG=0 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=0 LegalCopyright "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "${HEADER}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_ABORTWARNING

; A 64-bit Windows gets the 64-bit program, in its own Program Files and registry view; a 32-bit
; one the 32-bit program. The Start-menu shortcut is every user's, as the program is.
!macro UseSystemsViews
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  SetShellVarContext all
!macroend

; Ends a running Ondeline as its close button would; it keeps nothing, so nothing is lost. When it
; does not end, the user may close it and try again; a silent run, or a user who cancels, stops
; here with nothing changed and a status that says so.
Function CloseRunningOndeline
  look:
  FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
  ${If} $0 == 0
    Return
  ${EndIf}
  DetailPrint "Closing the running ${PRODUCT}"
  SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=${WAIT_MS}
  StrCpy $1 0
  ${While} $1 < ${WAIT_LOOKS}
    Sleep ${WAIT_MS}
    ; Gone: another copy may still be running.
    IsWindow $0 0 look
    IntOp $1 $1 + 1
  ${EndWhile}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "${PRODUCT} is running and did not close.$\r$\n$\r$\nClose it, then click Retry." \
    /SD IDCANCEL IDRETRY look
  DetailPrint "${PRODUCT} is still running; nothing was changed"
  SetErrorLevel ${STATUS_NOT_DONE}
  Abort
FunctionEnd

; Deletes the file named on the stack, waiting a while for Windows to let go of a program that has
; just ended. The file is gone when it returns, or the error flag is set.
Function DeleteWaiting
  Exch $R0
  Push $R1
  StrCpy $R1 0
  ${Do}
    Delete $R0
    ${IfNot} ${FileExists} $R0
    ${OrIf} $R1 >= ${WAIT_LOOKS}
      ${ExitDo}
    ${EndIf}
    Sleep ${WAIT_MS}
    IntOp $R1 $R1 + 1
  ${Loop}
  ClearErrors
  ${If} ${FileExists} $R0
    SetErrors
  ${EndIf}
  Pop $R1
  Pop $R0
FunctionEnd
