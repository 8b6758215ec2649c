; The per-user installer, made by packaging/installer.cmake when cpack makes
; the zip: makensis -DVERSION=... -DSTAGE=<the zip's folder> -DOUTFILE=...
; [-DAMD64]. No administrator: everything goes under the user's own folders
; and HKCU.
Unicode true
!ifdef AMD64
Target amd64-unicode
!endif
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define APP Clepsydrium
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
BrandingText "${APP} ${VERSION}"
ShowUninstDetails nevershow
VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${APP}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${APP} ${VERSION} setup"
VIAddVersionKey CompanyName "the ${APP} authors"
VIAddVersionKey LegalCopyright "the ${APP} authors"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${APP}.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP} now"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; Asks a running clock to end as its menu's Exit does (WM_CLOSE to its hidden
; session window) and waits up to 5 s for the window to go; $ClockWasRunning
; says whether there was one.
Var ClockWasRunning
!macro CloseClock un
Function ${un}CloseClock
  StrCpy $1 0
  StrCpy $ClockWasRunning 0
  ${Do}
    FindWindow $0 "ClepsydriumSession"
    ${If} $0 == 0
    ${OrIf} $1 >= 50
      ${ExitDo}
    ${EndIf}
    ${If} $1 == 0
      StrCpy $ClockWasRunning 1
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro CloseClock ""
!insertmacro CloseClock "un."

; The exe is free only once the process has ended, a moment after its window
; (longer where it writes much as it ends): it is removed as soon as it can
; be, within 10 s.
!macro FreeExe un
Function ${un}FreeExe
  StrCpy $1 0
  ${Do}
    ClearErrors
    Delete "$INSTDIR\${APP}.exe"
    ${IfNot} ${Errors}
    ${OrIf} $1 >= 100
      ${ExitDo}
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro FreeExe ""
!insertmacro FreeExe "un."

; An upgrade over a running clock starts the new one; the finish page then
; offers no second start.
Function FinishShow
  ${If} $ClockWasRunning == 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; What the uninstaller could not remove, a line each, told at its end.
Var Left
!macro Remove path
  Delete "${path}"
  ${If} ${FileExists} "${path}"
    StrCpy $Left "$Left$\r$\n${path}"
  ${EndIf}
!macroend

Section "${APP}" SecApp
  SectionIn RO
  Call CloseClock
  Call FreeExe
  SetOutPath "$INSTDIR"
  ; Clepsydrium.ini is never among these: an upgrade keeps the user's.
  File "${STAGE}/${APP}.exe"
  File "${STAGE}/README.txt"
  File "${STAGE}/LICENSE"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${APP}.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "the ${APP} authors"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOME_URL}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${APP}.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  ${If} $ClockWasRunning == 1
    Exec '"$INSTDIR\${APP}.exe"'
  ${EndIf}
SectionEnd

; The same value as the clock's own "Start with Windows" writes.
Section /o "Start with Windows" SecRun
  WriteRegStr HKCU "${RUN_KEY}" "${APP}" '"$INSTDIR\${APP}.exe"'
  DeleteRegValue HKCU "${APPROVED_KEY}" "${APP}"
SectionEnd

Section "Uninstall"
  Call un.CloseClock
  ; The clock itself says whether the Run value starts it, read as it reads
  ; it for its menu's check mark; without the exe, only its plain spellings.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${APP}"
  ${If} ${FileExists} "$INSTDIR\${APP}.exe"
    ExecWait '"$INSTDIR\${APP}.exe" /unregister'
  ${ElseIf} $0 == '"$INSTDIR\${APP}.exe"'
  ${OrIf} $0 == "$INSTDIR\${APP}.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
    DeleteRegValue HKCU "${APPROVED_KEY}" "${APP}"
  ${EndIf}
  ClearErrors
  ReadRegStr $1 HKCU "${RUN_KEY}" "${APP}"
  ${If} $0 != ""
  ${AndIf} $0 == $1
  ${AndIfNot} ${FileExists} "$INSTDIR\${APP}.exe"
    StrCpy $Left "$Left$\r$\nthe $\"Start with Windows$\" value $0, left unchecked without ${APP}.exe"
  ${EndIf}
  Call un.FreeExe
  ${If} ${FileExists} "$INSTDIR\${APP}.exe"
    StrCpy $Left "$Left$\r$\n$INSTDIR\${APP}.exe"
  ${EndIf}
  !insertmacro Remove "$INSTDIR\README.txt"
  !insertmacro Remove "$INSTDIR\LICENSE"
  !insertmacro Remove "$INSTDIR\Uninstall.exe"
  !insertmacro Remove "$SMPROGRAMS\${APP}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${If} ${FileExists} "$INSTDIR\${APP}.ini"
    MessageBox MB_YESNO|MB_ICONQUESTION "Keep your ${APP} settings (${APP}.ini) for a later install?" \
      /SD IDNO IDYES keep
    Delete "$INSTDIR\${APP}.ini"
    Delete "$INSTDIR\${APP}.ini.new"
    keep:
  ${EndIf}
  RMDir "$INSTDIR"
  ${If} $Left != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "${APP} is uninstalled, but these could not be removed:$Left" /SD IDOK
  ${EndIf}
SectionEnd

LangString DESC_SecApp ${LANG_ENGLISH} "The clock, its README and its license."
LangString DESC_SecRun ${LANG_ENGLISH} "Start the clock when you sign in; its menu's $\"Start with Windows$\" switches this later."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecApp} $(DESC_SecApp)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecRun} $(DESC_SecRun)
!insertmacro MUI_FUNCTION_DESCRIPTION_END
