; What lives in the program folder, and who may change it. The folder is normally the pharmacy
; system's own: its sistema_tervo.ini and its other files are never touched here.

; The files the installer puts in the folder; users may only read and run them.
!macro ForEachInstalledFile action
  !insertmacro ${action} "MonitorZelnor.exe"
  !insertmacro ${action} "libmariadb.dll"
  !insertmacro ${action} "COPYING.LIB"
  !insertmacro ${action} "monitor-zelnor.rules.yml"
  !insertmacro ${action} "Uninstall.exe"
!macroend

; What the program itself writes in its folder, and all that /PURGE removes. The names are the
; program's: the lock file is InstanceLock::FileName (core/include/mz/platform/InstanceLock.h),
; the temporary file is the one IniFile's Save writes beside monitor_zelnor.ini and moves over
; it (core/src/IniFile.cpp), left behind only when Save is cut short.
!macro RemoveProgramWrites
  Delete "$INSTDIR\monitor_zelnor.ini"
  Delete "$INSTDIR\monitor_zelnor.ini.saving"
  Delete "$INSTDIR\monitor_zelnor.ini.new" ; an earlier version's name for it
  Delete "$INSTDIR\MonitorZelnor.lock"
  RMDir /r "$INSTDIR\LogZelnor"
!macroend

; The lock file alone, which a plain uninstall removes too: it holds nothing of the pharmacy's.
!macro RemoveLockFile
  Delete "$INSTDIR\MonitorZelnor.lock"
!macroend

; Well-known SIDs, the same in every language of Windows.
!define SID_ADMINISTRATORS "*S-1-5-32-544"
!define SID_SYSTEM "*S-1-5-18"
!define SID_USERS "*S-1-5-32-545"
!define SYSTEM_ACCOUNT_SID "S-1-5-18"
