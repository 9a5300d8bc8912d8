; Lumora's installer: for the current user, without administrator rights. It installs into the
; user's local programs folder, adds a Start-menu shortcut and an uninstall entry and, if the user
; keeps the option ticked, the entry that starts Lumora at sign-in.
; scripts/package passes VERSION (major.minor.patch), PAYLOAD (the folder holding Lumora.exe and
; monitor.txt), ICON and OUTFILE.

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef PAYLOAD
  !error "PAYLOAD is not defined"
!endif
!ifndef ICON
  !error "ICON is not defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE is not defined"
!endif

!define PRODUCT "Lumora"
!define PUBLISHER "Tavik"
!define EXE "Lumora.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Task Manager's start-up list keeps its enable/disable of the Run value here.
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
; Lumora opens both by these names (src/win32/MessageLoop.h, src/win32/WinMain.cpp).
!define EXIT_EVENT "Local\Tavik.Lumora.Exit"
; Held open by the uninstaller while it asks: the copy that ends restores the default ramp.
!define UNINSTALL_EVENT "Local\Tavik.Lumora.Uninstall"
!define INSTANCE_MUTEX "Local\Tavik.Lumora.SingleInstance"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An installation over an earlier one goes where that one is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start Lumora now"

!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE OwnFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks a running Lumora to end as at the end of a session (it saves its settings), then waits until
; it has gone and its program file can be replaced or deleted.
!macro DEFINE_END_RUNNING_LUMORA prefix
Function ${prefix}EndRunningLumora
  Push $0
  Push $1
  Push $2
  StrCpy $2 0
  !if "${prefix}" == "un."
    System::Call 'kernel32::CreateEventW(p 0, i 1, i 0, w "${UNINSTALL_EVENT}") p .r2'
  !endif
  retry:
  System::Call 'kernel32::OpenEventW(i 0x0002, i 0, w "${EXIT_EVENT}") p .r0' ; EVENT_MODIFY_STATE
  ${If} $0 P<> 0
    System::Call 'kernel32::SetEvent(p r0)'
    System::Call 'kernel32::CloseHandle(p r0)'
  ${EndIf}
  ; The single-instance mutex lives exactly as long as the program.
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0' ; SYNCHRONIZE
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    IntOp $1 $1 + 1
    ${If} $1 >= 100
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Lumora is still running. End it with Exit in its notification-area menu, then choose Retry." \
        /SD IDCANCEL IDRETRY retry
      Abort "Lumora is still running."
    ${EndIf}
    Sleep 100
  ${Loop}
  ; Windows keeps the program file locked until the process has fully ended, a moment after the
  ; mutex has gone.
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    StrCpy $1 0
    ${Do}
      System::Call 'kernel32::CreateFileW(w "$INSTDIR\${EXE}", i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) i .r0'
      ${If} $0 <> -1
        System::Call 'kernel32::CloseHandle(i r0)'
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
      ${IfThen} $1 >= 50 ${|} ${Break} ${|}
      Sleep 100
    ${Loop}
  ${EndIf}
  ${If} $2 P<> 0
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING_LUMORA ""
!insertmacro DEFINE_END_RUNNING_LUMORA "un."

; The sign-in entry goes only when it starts this copy: a portable copy elsewhere keeps its own.
!macro DEFINE_REMOVE_OWN_SIGN_IN prefix
Function ${prefix}RemoveOwnSignIn
  Push $0
  Push $1
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  StrLen $1 '"$INSTDIR\${EXE}"'
  StrCpy $0 $0 $1
  ${If} $0 == '"$INSTDIR\${EXE}"' ; compared without regard to case, as Windows names files
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    DeleteRegValue HKCU "${APPROVED_KEY}" "${PRODUCT}"
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_REMOVE_OWN_SIGN_IN ""
!insertmacro DEFINE_REMOVE_OWN_SIGN_IN "un."

; A folder chosen with /D= or on the folder page that already holds things other than Lumora
; (Documents, C:\) gets a Lumora folder of its own: the uninstaller empties and removes the
; folder it installed into.
Function OwnFolder
  ${DirState} "$INSTDIR" $0
  ${If} $0 = 1
  ${AndIfNot} ${FileExists} "$INSTDIR\${EXE}"
    StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
  ${EndIf}
FunctionEnd

Section "Lumora" SectionProgram
  SectionIn RO
  ${If} ${Silent}
    Call OwnFolder
  ${EndIf}
  Call EndRunningLumora
  SetOutPath "$INSTDIR"
  File "${PAYLOAD}/${EXE}"
  File "${PAYLOAD}/monitor.txt"
  ; config.ini holds the user's settings: it is never shipped, so an update keeps it.
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start Lumora when I sign in" SectionSignIn
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\${EXE}" /tray'
  ; A disable left in Task Manager's list would keep the new entry from running.
  DeleteRegValue HKCU "${APPROVED_KEY}" "${PRODUCT}"
SectionEnd

; Unticked, the option means "do not start at sign-in", also over an earlier installation.
Section "-SignInOff"
  ${IfNot} ${SectionIsSelected} ${SectionSignIn}
    Call RemoveOwnSignIn
  ${EndIf}
SectionEnd

Section "Uninstall"
  Call un.EndRunningLumora
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\monitor.txt"
  Delete "$INSTDIR\config.ini"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only if empty: whatever else the user put there stays.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Call un.RemoveOwnSignIn
  ; Last: if anything above fails, the entry stays for another try.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
