; Helpers of the installer and the uninstaller: the setup log, the account the setup runs
; under, ending a running copy, and running a command with its result in the log. Each
; function exists twice, once with the prefix "un." for the uninstaller, as NSIS wants.

; Every run appends what it did here; IT reads it after a silent deployment. Under the system
; account %TEMP% is the Windows folder's Temp.
!define SETUP_LOG "$TEMP\MonitorZelnor-setup.log"

Var LogLine
Var AccountSid
Var ClosedCopy ; 1 when a running copy was ended

!macro Log text
  StrCpy $LogLine `${text}`
  !ifdef __UNINSTALL__
    Call un.AppendLog
  !else
    Call AppendLog
  !endif
!macroend
!define Log "!insertmacro Log"

!macro SupportFunctions prefix
; Appends $LogLine, time-stamped, to the setup log and shows it in the details list.
Function ${prefix}AppendLog
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  DetailPrint $LogLine
  ${GetTime} "" "L" $1 $2 $3 $4 $5 $6 $7
  ClearErrors
  FileOpen $0 "${SETUP_LOG}" a
  ${IfNot} ${Errors}
    FileSeek $0 0 END
    FileWrite $0 "$3-$2-$1 $5:$6:$7 $LogLine$\r$\n"
    FileClose $0
  ${EndIf}
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $AccountSid: the SID of the account this process runs under ("" when it cannot be read).
; The system account (S-1-5-18) is how deployment tools run a setup.
Function ${prefix}ReadAccountSid
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $AccountSid ""
  ; -1 is the current process; 8 is TOKEN_QUERY, 1 is TokenUser.
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r0) i .r1'
  ${If} $1 <> 0
    System::Alloc 1024
    Pop $2
    System::Call 'advapi32::GetTokenInformation(p r0, i 1, p r2, i 1024, *i .r3) i .r1'
    ${If} $1 <> 0
      ; TOKEN_USER begins with the pointer to the SID.
      System::Call '*$2(p .r3)'
      System::Call 'advapi32::ConvertSidToStringSidW(p r3, *p .r1) i .r3'
      ${If} $3 <> 0
        System::Call 'kernel32::lstrcpynW(w .s, p r1, i 256)'
        Pop $AccountSid
        System::Call 'kernel32::LocalFree(p r1)'
      ${EndIf}
    ${EndIf}
    System::Free $2
    System::Call 'kernel32::CloseHandle(p r0)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Ends a copy running from the install folder in this session: asks it as its tray menu's
; "Fechar" does, waits up to ten seconds, then ends its process (a box it shows can hold it).
; A running program's files cannot be replaced or removed. Sets $ClosedCopy.
Function ${prefix}CloseRunningCopy
  Push $0
  Push $1
  Push $2
  StrCpy $ClosedCopy 0
  FindWindow $0 "${TRAY_CLASS}" "${APP} $INSTDIR\"
  ${If} $0 <> 0
    StrCpy $ClosedCopy 1
    ${Log} "Closing the copy running from $INSTDIR"
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
    ${If} $0 <> 0
      System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
      ${Log} "The running copy (process $1) did not close; ending it"
      ; PROCESS_TERMINATE | SYNCHRONIZE
      System::Call 'kernel32::OpenProcess(i 0x100001, i 0, i r1) p .r2'
      ${If} $2 P<> 0
        System::Call 'kernel32::TerminateProcess(p r2, i 1)'
        System::Call 'kernel32::WaitForSingleObject(p r2, i 10000)'
        System::Call 'kernel32::CloseHandle(p r2)'
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

!macroend

; Installer only: the folder rights.
; Runs the command on the stack without a console window; logs it, its exit code and its
; output. Leaves the exit code on the stack ("error" when it could not start).
Function RunLogged
  Exch $0
  Push $1
  ${Log} "Running $0"
  nsExec::ExecToStack $0
  Pop $0
  Pop $1
  ${Log} "  exit code $0: $1"
  Pop $1
  Exch $0
FunctionEnd
