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
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; Asks a running clock to end as its menu's Exit does (WM_CLOSE to its hidden
; session window), waits up to 5 s for the window to go, then up to 10 s more
; to remove its exe: that can be replaced or removed only once it has ended.
!macro StopClock un
Function ${un}StopClock
  StrCpy $1 0
  ${Do}
    FindWindow $0 "ClepsydriumSession"
    ${If} $0 == 0
    ${OrIf} $1 >= 50
      ${ExitDo}
    ${EndIf}
    ${If} $1 == 0
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
  ; The exe is free only once the process has ended, a moment after its window
  ; (longer where it writes much as it ends): it goes as soon as it can.
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
!insertmacro StopClock ""
!insertmacro StopClock "un."

Section "${APP}" SecApp
  SectionIn RO
  Call StopClock
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
SectionEnd

; The same value as the clock's own "Start with Windows" writes.
Section /o "Start with Windows" SecRun
  WriteRegStr HKCU "${RUN_KEY}" "${APP}" '"$INSTDIR\${APP}.exe"'
  DeleteRegValue HKCU "${APPROVED_KEY}" "${APP}"
SectionEnd

Section "Uninstall"
  Call un.StopClock
  Delete "$INSTDIR\${APP}.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\${APP}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Only a value that starts this copy: another one's belongs to that copy.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${APP}"
  ${If} $0 == '"$INSTDIR\${APP}.exe"'
  ${OrIf} $0 == "$INSTDIR\${APP}.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
    DeleteRegValue HKCU "${APPROVED_KEY}" "${APP}"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\${APP}.ini"
    MessageBox MB_YESNO|MB_ICONQUESTION "Keep your ${APP} settings (${APP}.ini) for a later install?" \
      /SD IDNO IDYES keep
    Delete "$INSTDIR\${APP}.ini"
    Delete "$INSTDIR\${APP}.ini.new"
    keep:
  ${EndIf}
  RMDir "$INSTDIR"
SectionEnd

LangString DESC_SecApp ${LANG_ENGLISH} "The clock, its README and its license."
LangString DESC_SecRun ${LANG_ENGLISH} "Start the clock when you sign in; its menu's $\"Start with Windows$\" switches this later."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecApp} $(DESC_SecApp)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecRun} $(DESC_SecRun)
!insertmacro MUI_FUNCTION_DESCRIPTION_END
