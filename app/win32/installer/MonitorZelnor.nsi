; The Windows installer: a per-user install of MonitorZelnor that starts with the user's session.
;   makensis -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> -DVERSION=<the version in project() of CMakeLists.txt> MonitorZelnor.nsi
; Uninstalling keeps the settings files and the log, which belong to the pharmacy; the option
; /PURGE (or the component "Settings and log" in the interactive uninstaller) removes them too.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define APP "Monitor Zelnor"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MonitorZelnor"
!define TRAY_CLASS "MonitorZelnor.Tray"
!define CLOSE_COMMAND 2002 ; the tray menu's "Fechar"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\MonitorZelnor"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${RESOURCES}\MonitorZelnor.ico"
UninstallIcon "${RESOURCES}\MonitorZelnor.ico"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "CompanyName" "Tervo"
VIAddVersionKey "LegalCopyright" "Tervo"
VIAddVersionKey "FileDescription" "${APP} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage components
UninstPage instfiles

; Asks a copy running from the install folder to end (as its tray menu's "Fechar" does) and
; waits up to ten seconds: a running program's files cannot be replaced or removed.
!macro CloseRunningCopy
  FindWindow $0 "${TRAY_CLASS}" "${APP} $INSTDIR\"
  ${If} $0 <> 0
    SendMessage $0 ${WM_COMMAND} ${CLOSE_COMMAND} 0 /TIMEOUT=5000
    StrCpy $1 0
    ${DoWhile} $0 <> 0
      ${If} $1 >= 50
        ${Break}
      ${EndIf}
      Sleep 200
      IntOp $1 $1 + 1
      FindWindow $0 "${TRAY_CLASS}" "${APP} $INSTDIR\"
    ${Loop}
  ${EndIf}
!macroend

Section "${APP}" SecProgram
  SectionIn RO
  SetShellVarContext current
  !insertmacro CloseRunningCopy
  SetOutPath "$INSTDIR"
  File "${STAGE}\MonitorZelnor.exe"
  File "${STAGE}\libmariadb.dll"
  File "${STAGE}\COPYING.LIB"
  File "${RESOURCES}\..\packaging\prometheus\monitor-zelnor.rules.yml"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${RUN_KEY}" "MonitorZelnor" '"$INSTDIR\MonitorZelnor.exe"'
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\MonitorZelnor.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tervo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\MonitorZelnor.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.${APP}" UnSecProgram
  SectionIn RO
  SetShellVarContext current
  !insertmacro CloseRunningCopy
  Delete "$INSTDIR\MonitorZelnor.exe"
  Delete "$INSTDIR\libmariadb.dll"
  Delete "$INSTDIR\COPYING.LIB"
  Delete "$INSTDIR\monitor-zelnor.rules.yml"
  Delete "$INSTDIR\MonitorZelnor.lock"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\${APP}.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "MonitorZelnor"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Settings and log" UnSecSettings
  Delete "$INSTDIR\sistema_tervo.ini"
  Delete "$INSTDIR\monitor_zelnor.ini"
  RMDir /r "$INSTDIR\LogZelnor"
SectionEnd

Section "-un.Folder"
  ; Only when nothing else is left in it.
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
