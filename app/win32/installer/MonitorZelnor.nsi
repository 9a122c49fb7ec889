; The Windows installer of MonitorZelnor.
;   makensis -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> -DVERSION=<the version in project() of CMakeLists.txt>
;            -DRESOURCES=<folder with the icon> MonitorZelnor.nsi
; Options of the setup:
;   /S         silent
;   /ALLUSERS  for every user of the PC (administrator rights): autostart in the all-users
;              Startup folder, uninstall entry under the machine's key, folder rights that let
;              users write only what the program writes. Without it: for this user alone.
;   /D=FOLDER  the program folder, normally the pharmacy system's one, which holds its
;              sistema_tervo.ini (last on the command line, no quotes)
; The monitor reads sistema_tervo.ini from its own folder and writes its log below its working
; folder: the autostart entry is a shortcut whose working folder is the program folder. After
; every install it is started in the installing user's session, except under the system
; account. Uninstalling keeps the pharmacy's files, the settings and the log; /PURGE (or the
; component "Settings and log") removes what the program writes (ProgramFiles.nsh), never
; sistema_tervo.ini. Every run appends what it did to %TEMP%\MonitorZelnor-setup.log.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "MUI2.nsh"
!include "WinMessages.nsh"

!define APP "Monitor Zelnor"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MonitorZelnor"
!define TRAY_CLASS "MonitorZelnor.Tray"
!define CLOSE_COMMAND 2002 ; the tray menu's "Fechar"
!define SHORTCUT "${APP}.lnk"
!define ERROR_ELEVATION_REQUIRED 740

!include "ProgramFiles.nsh"
!include "Support.nsh"

Name "${APP}"
OutFile "${OUTFILE}"
; No InstallDir: .onInit chooses the folder when /D= names none.
Icon "${RESOURCES}\MonitorZelnor.ico"
UninstallIcon "${RESOURCES}\MonitorZelnor.ico"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "CompanyName" "Tervo"
VIAddVersionKey "LegalCopyright" "Tervo"
VIAddVersionKey "FileDescription" "${APP} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

Var AllUsers ; 1 with /ALLUSERS, or in the uninstaller of an all-users install

!define MUI_ICON "${RESOURCES}\MonitorZelnor.ico"
!define MUI_UNICON "${RESOURCES}\MonitorZelnor.ico"
!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "Install the monitor in the folder of the pharmacy system, the \
one that holds its sistema_tervo.ini: the monitor reads that file from its own folder, and \
keeps its settings (monitor_zelnor.ini) and its log (LogZelnor) there too."
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartMonitor
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!insertmacro SupportFunctions ""
!insertmacro SupportFunctions "un."

; The common start of the setup and the uninstaller: the log's first line, the account, the
; rights /ALLUSERS needs and the shell folders and registry root of the chosen context.
!macro BeginRun what
  Call ${MZ_PREFIX}ReadAccountSid
  ${If} $AllUsers == 1
    SetShellVarContext all
    ${Log} "${APP} ${VERSION} ${what} for all users, account $AccountSid: $CMDLINE"
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      ${Log} "Administrator rights are needed for all users; this account's are $0"
      MessageBox MB_OK|MB_ICONSTOP "${APP} for all users needs administrator rights: run it \
as administrator." /SD IDOK
      SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
      Quit
    ${EndIf}
  ${Else}
    SetShellVarContext current
    ${Log} "${APP} ${VERSION} ${what} for this user, account $AccountSid: $CMDLINE"
  ${EndIf}
!macroend

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${If} ${Errors}
    StrCpy $AllUsers 0
  ${Else}
    StrCpy $AllUsers 1
  ${EndIf}
  !define MZ_PREFIX ""
  !insertmacro BeginRun "setup"
  !undef MZ_PREFIX
  ${If} $INSTDIR == ""
    ; An earlier install's folder, else the default of the context.
    ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $AllUsers == 1
      StrCpy $INSTDIR "$PROGRAMFILES64\MonitorZelnor"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\MonitorZelnor"
    ${EndIf}
  ${EndIf}
FunctionEnd

; The folder should hold the pharmacy system's settings; without them the monitor cannot test,
; but IT may put them there afterwards, so this warns and lets the install go on.
Function DirectoryLeave
  ${IfNot} ${FileExists} "$INSTDIR\sistema_tervo.ini"
    ${Log} "Asking whether to install into $INSTDIR, which holds no sistema_tervo.ini"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "$INSTDIR holds no sistema_tervo.ini.$\r$\n$\r$\n\
The monitor reads the pharmacy system's sistema_tervo.ini from its own folder and cannot \
test without it. Install here anyway?" /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

; Starts the monitor from its folder, as its shortcuts do, in this session; the system
; account has no user's session to start it in.
Function StartMonitor
  ${If} $AccountSid == "${SYSTEM_ACCOUNT_SID}"
    ${Log} "Running as the system account: the monitor is not started now; it starts at the \
next logon of a user"
    Return
  ${EndIf}
  SetOutPath "$INSTDIR"
  ClearErrors
  Exec '"$INSTDIR\MonitorZelnor.exe"'
  ${If} ${Errors}
    ${Log} "The monitor could not be started"
  ${Else}
    ${Log} "Started $INSTDIR\MonitorZelnor.exe in $INSTDIR"
  ${EndIf}
FunctionEnd

; The binaries: read and execute for users, taken out of the folder's inheritance; then the
; folder: users may create and change what the program writes. In that order, so that no
; binary is ever writable through the folder's grant.
!macro RestrictFile name
  Push '"$SYSDIR\icacls.exe" "$INSTDIR\${name}" /inheritance:r /grant:r ${SID_ADMINISTRATORS}:F ${SID_SYSTEM}:F ${SID_USERS}:RX'
  Call RunLogged
  Pop $0
  ${If} $0 != 0
    ${Log} "The rights of ${name} could not be set"
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

Function SetFolderRights
  ${Log} "Setting the rights of $INSTDIR"
  !insertmacro ForEachInstalledFile RestrictFile
  Push '"$SYSDIR\icacls.exe" "$INSTDIR" /grant ${SID_USERS}:(OI)(CI)M'
  Call RunLogged
  Pop $0
  ${If} $0 != 0
    ${Log} "The rights of $INSTDIR could not be set"
    SetErrorLevel 2
    Abort
  ${EndIf}
FunctionEnd

Section "${APP}" SecProgram
  SectionIn RO
  ${Log} "Installing into $INSTDIR"
  ${IfNot} ${FileExists} "$INSTDIR\sistema_tervo.ini"
    ${Log} "Warning: $INSTDIR holds no sistema_tervo.ini; the monitor cannot test without it"
  ${EndIf}
  Call CloseRunningCopy
  ; A copy that still holds the program (one in another user's session) would keep it from
  ; being replaced.
  ${If} ${FileExists} "$INSTDIR\MonitorZelnor.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\MonitorZelnor.exe" a
    ${If} ${Errors}
      ${Log} "$INSTDIR\MonitorZelnor.exe is in use, by a copy in another user's session?"
      MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\MonitorZelnor.exe is in use. End ${APP} in \
every user's session (its tray menu's $\"Fechar$\") and run the setup again." /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    FileClose $0
  ${EndIf}
  SetOutPath "$INSTDIR"
  ClearErrors
  File "${STAGE}\MonitorZelnor.exe"
  File "${STAGE}\libmariadb.dll"
  File "${STAGE}\COPYING.LIB"
  File "${RESOURCES}\..\packaging\prometheus\monitor-zelnor.rules.yml"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    ${Log} "The program's files could not be written to $INSTDIR"
    SetErrorLevel 2
    Abort
  ${EndIf}
  ${If} $AllUsers == 1
    Call SetFolderRights
  ${EndIf}

  ; Earlier versions started the monitor from a Run value, in whatever folder the shell chose.
  DeleteRegValue HKCU "${RUN_KEY}" "MonitorZelnor"
  ${If} $AllUsers == 1
    DeleteRegValue HKLM "${RUN_KEY}" "MonitorZelnor"
  ${EndIf}
  ; Both shortcuts start the program in its folder: SetOutPath gave the working folder.
  CreateShortcut "$SMSTARTUP\${SHORTCUT}" "$INSTDIR\MonitorZelnor.exe"
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\MonitorZelnor.exe"
  ${Log} "Autostart: $SMSTARTUP\${SHORTCUT}"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Tervo"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\MonitorZelnor.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
  ${Log} "Installed"
SectionEnd

; The finish page's box starts the monitor in an interactive install; a silent one starts it
; here.
Function .onInstSuccess
  ${If} ${Silent}
    Call StartMonitor
  ${EndIf}
FunctionEnd

Function .onInstFailed
  ${Log} "The install failed"
FunctionEnd

Section "un.${APP}" UnSecProgram
  SectionIn RO
  ${Log} "Uninstalling from $INSTDIR"
  Call un.CloseRunningCopy
  Delete "$INSTDIR\MonitorZelnor.exe"
  Delete "$INSTDIR\libmariadb.dll"
  Delete "$INSTDIR\COPYING.LIB"
  Delete "$INSTDIR\monitor-zelnor.rules.yml"
  !insertmacro RemoveLockFile
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMSTARTUP\${SHORTCUT}"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  DeleteRegValue HKCU "${RUN_KEY}" "MonitorZelnor"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

; What the program wrote; sistema_tervo.ini and every other file of the pharmacy's stay.
Section /o "un.Settings and log" UnSecSettings
  ${Log} "Removing the monitor's settings and log"
  !insertmacro RemoveProgramWrites
SectionEnd

Section "-un.Folder"
  ; Only when nothing else is left in it.
  RMDir "$INSTDIR"
  ${Log} "Uninstalled"
SectionEnd

Function un.onInit
  ; The uninstaller runs from the program folder: an all-users install is the one the
  ; machine's uninstall entry names.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
  ${EndIf}
  !define MZ_PREFIX "un."
  !insertmacro BeginRun "uninstall"
  !undef MZ_PREFIX
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
