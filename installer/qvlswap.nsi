; Setup of the Quorvel Hot-Swap Utility: qvlswap-setup.exe.
;
; Built by CMake with makensis, which passes the folder of the built files and the output:
;   makensis -DBINDIR=build/bin -DICON=qvlswap.ico -DOUTFILE=build/bin/qvlswap-setup.exe qvlswap.nsi
;
; Command line of the setup, besides NSIS's own /S and /D=folder:
;   /DEMO         also install the demonstration system (simulated qvldev.dll and qvlsim.exe)
;   /NOAUTOSTART  do not start the utility with Windows
;   /NOSHORTCUTS  no Start-menu entries
;   /LOG=FILE     where a silent setup writes what it has to tell (default: %TEMP%\qvlswap-setup.log)
;
; The real qvldev.dll belongs to the controller's driver. The demonstration system goes in only
; where no such library is found (in the target folder, unless this setup put it there, or in
; the system folder), and it is taken out again when a driver's library turns up later, since
; the copy in the program's folder would be loaded in its place.
;
; Everything is for all users, like the driver it watches: the program, the Start-menu entries
; and the start with Windows (HKLM Run). The start with Windows is set up only where the
; console can start, that is where some qvldev.dll is found.

!ifndef BINDIR
  !error "BINDIR (the folder of the built programs) must be given with -DBINDIR=..."
!endif
!ifndef OUTFILE
  !define OUTFILE "qvlswap-setup.exe"
!endif

!define PRODUCT     "Quorvel Hot-Swap Utility"
!define COMPANY     "Quorvel Storage Systems"
!define VERSION     "1.0.5.21"
!define VERSIONTEXT "1.0"
!define COPYRIGHT   "Copyright (C) 2003-2026 Quorvel Storage Systems. All rights reserved."
!define WEBADDRESS  "http://www.example.com/quorvel/"
!define REGKEY      "Software\Quorvel\Hot-Swap Utility"
!define UNINSTKEY   "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel Hot-Swap Utility"
!define RUNKEY      "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUNVALUE    "Quorvel Hot-Swap Utility"
!define SMFOLDER    "Quorvel Hot-Swap Utility"
; The state file of the simulated library's default instance, in the temporary folder of the user
; who runs it (qvldev/simStore.cpp); the demonstration system takes it along when it goes.
!define DEMOSTATE   "qvldev-default.state"
; The console's main window (class and caption) and its File, Exit command.
!define MAINCLASS   "QvlMainForm"
!define IDM_MENU_EXIT 100

Unicode false
SetCompressor /SOLID lzma
Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Quorvel\Hot-Swap Utility"
InstallDirRegKey HKLM "${REGKEY}" "InstallDir"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
BrandingText "${COMPANY}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSIONTEXT}"
VIAddVersionKey /LANG=1033 "InternalName" "qvlswap-setup"
VIAddVersionKey /LANG=1033 "OriginalFilename" "qvlswap-setup.exe"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"

Var FinishText
Var NoDriver      ; 1 when neither the program folder nor the system folder holds a qvldev.dll
Var LogFile       ; where a silent setup writes its notes ("" when not silent)
Var UninstallTitle
Var UninstallSubtitle

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
; Set by setup: without the driver's library it says that the utility cannot start yet.
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN "$INSTDIR\qvlswap.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\QSWAP.CHM"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_LINK "${WEBADDRESS}"
!define MUI_FINISHPAGE_LINK_LOCATION "${WEBADDRESS}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
; The folder is known here, so the components page can tell whether a driver's library is there.
!define MUI_PAGE_CUSTOMFUNCTION_PRE ComponentsPre
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
; Set by the uninstaller: a removal that waits for a restart does not call itself complete.
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$UninstallTitle"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$UninstallSubtitle"
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!define NODRIVER_NOTE "${PRODUCT} cannot start until the controller's driver is installed. Install the controller's driver, or run setup again and choose the demonstration system."
!define NOAUTOSTART_NOTE "${PRODUCT} is not started with Windows yet: run setup again once the controller's driver is installed."

; Shows a note in the details and, when setup runs silently, writes it to its log.
!macro Note text
  DetailPrint "${text}"
  Push "${text}"
  Call WriteLog
!macroend

Function WriteLog
  Exch $0
  Push $1
  ${If} $LogFile != ""
    ClearErrors
    FileOpen $1 "$LogFile" a
    ${IfNot} ${Errors}
      FileSeek $1 0 END
      FileWrite $1 "$0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Closes a running console through its File, Exit command (closing its window only hides it)
; and waits for its process to end: until then it holds the program and the driver's library.
; $R2: 1 when a console was running and has not ended, else 0.
!define SYNCHRONIZE 0x00100000
!macro CloseConsole un
Function ${un}CloseConsole
  StrCpy $R2 0
  FindWindow $0 "${MAINCLASS}" "${PRODUCT}"
  ${If} $0 == 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT} is running. It will be closed now." /SD IDOK IDOK close
  Abort
close:
  DetailPrint "Closing the running ${PRODUCT}"
  StrCpy $1 0
  System::Call 'user32::GetWindowThreadProcessId(i r0, *i .r1) i'
  StrCpy $2 0
  ${If} $1 <> 0
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) i .r2'
  ${EndIf}
  ; Posted, so that a box the console has open cannot hold this setup.
  System::Call 'user32::PostMessageA(i r0, i ${WM_COMMAND}, i ${IDM_MENU_EXIT}, i 0) i'
  ${If} $2 <> 0
    System::Call 'kernel32::WaitForSingleObject(i r2, i 15000) i .r3'
    System::Call 'kernel32::CloseHandle(i r2)'
    ${If} $3 <> 0 ; not WAIT_OBJECT_0
      StrCpy $R2 1
    ${EndIf}
  ${Else}
    ; No handle on the process: its window going is the best sign there is.
    StrCpy $1 0
    ${Do}
      Sleep 200
      IntOp $1 $1 + 1
      FindWindow $0 "${MAINCLASS}" "${PRODUCT}"
      ${If} $0 == 0
        Sleep 1000
        ${ExitDo}
      ${ElseIf} $1 >= 75
        StrCpy $R2 1
        ${ExitDo}
      ${EndIf}
    ${Loop}
  ${EndIf}
  ${If} $R2 = 1
    DetailPrint "${PRODUCT} did not end."
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CloseConsole ""
!insertmacro CloseConsole "un."

; Where this setup put the demonstration system, as recorded when it did ("" when nowhere). The
; setup reads it once at start, before anything is written.
Var DemoDir

!macro DemoFunctions un
; $R1: 1 when this setup's demonstration system is in $INSTDIR, else 0.
Function ${un}OurDemoHere
  StrCpy $R1 0
  !if "${un}" == "un."
    ReadRegStr $DemoDir HKLM "${REGKEY}" "DemoDir"
  !endif
  ${If} $DemoDir != ""
  ${AndIf} $DemoDir == $INSTDIR
    StrCpy $R1 1
  ${EndIf}
FunctionEnd

; $R3: the state file of the demonstration system, as recorded by the setup that installed it
; (the installing user's temporary folder), or "" when what is recorded is not that file.
Function ${un}DemoStateFile
  ReadRegStr $R3 HKLM "${REGKEY}" "DemoState"
  ${If} $R3 == ""
    ; Installed by a setup that kept no record: the user who installed it is likely this one.
    StrCpy $R3 "$TEMP\${DEMOSTATE}"
  ${EndIf}
  Push $0
  ${GetFileName} $R3 $0
  ${If} $0 != "${DEMOSTATE}"
    StrCpy $R3 ""
  ${EndIf}
  Pop $0
FunctionEnd

; Takes out the demonstration system that this setup installed into $INSTDIR, and only that,
; with the state its library kept.
Function ${un}RemoveDemo
  Call ${un}OurDemoHere
  ${If} $R1 = 1
    Call ${un}DemoStateFile
    !if "${un}" == "un."
      Delete /REBOOTOK "$INSTDIR\qvlsim.exe"
      Delete /REBOOTOK "$INSTDIR\qvldev.dll"
      ${If} $R3 != ""
        Delete /REBOOTOK "$R3"
      ${EndIf}
    !else
      Delete "$INSTDIR\qvlsim.exe"
      Delete "$INSTDIR\qvldev.dll"
      ${If} $R3 != ""
        Delete "$R3"
      ${EndIf}
    !endif
    DeleteRegValue HKLM "${REGKEY}" "DemoDir"
    DeleteRegValue HKLM "${REGKEY}" "DemoState"
    StrCpy $DemoDir ""
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DemoFunctions ""
!insertmacro DemoFunctions "un."

; $R0: the path of a qvldev.dll that this setup did not install, or "" when there is none.
Function FindDriverLibrary
  StrCpy $R0 ""
  ${If} ${FileExists} "$SYSDIR\qvldev.dll"
    StrCpy $R0 "$SYSDIR\qvldev.dll"
  ${ElseIf} ${FileExists} "$INSTDIR\qvldev.dll"
    Call OurDemoHere
    ${If} $R1 != 1
      StrCpy $R0 "$INSTDIR\qvldev.dll"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Hot-Swap Utility" SecMain
  SectionIn RO
  Call CloseConsole
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${BINDIR}\qvlswap.exe"
  File "${BINDIR}\qvlclient.dll"
  File "${BINDIR}\qvlctl.exe"
  ; The console opens its help file from its own folder.
  File "${BINDIR}\QSWAP.CHM"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${REGKEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${REGKEY}" "Version" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTKEY}" "URLInfoAbout" "${WEBADDRESS}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\qvlswap.exe,0"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
  !insertmacro Note "${PRODUCT} ${VERSION} installed in $INSTDIR."
SectionEnd

Section "Start menu entries" SecShortcuts
  CreateDirectory "$SMPROGRAMS\${SMFOLDER}"
  CreateShortCut "$SMPROGRAMS\${SMFOLDER}\${PRODUCT}.lnk" "$INSTDIR\qvlswap.exe"
  CreateShortCut "$SMPROGRAMS\${SMFOLDER}\${PRODUCT} Help.lnk" "$INSTDIR\QSWAP.CHM"
  CreateShortCut "$SMPROGRAMS\${SMFOLDER}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

; Written by "-Tidy up", once it is known whether a qvldev.dll is there for the console to load.
Section "Start with Windows" SecAutostart
SectionEnd

Section /o "Demonstration system" SecDemo
  Call FindDriverLibrary
  ${If} $R0 != ""
    !insertmacro Note "The controller's driver library $R0 is present: the demonstration system is not installed."
    MessageBox MB_OK|MB_ICONINFORMATION "The controller's driver library is installed:$\r$\n$R0$\r$\n$\r$\nThe demonstration system is not installed, so that the utility uses the driver's library." /SD IDOK
    Call RemoveDemo
    Return
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${BINDIR}\qvldev.dll"
  File "${BINDIR}\qvlsim.exe"
  WriteRegStr HKLM "${REGKEY}" "DemoDir" "$INSTDIR"
  WriteRegStr HKLM "${REGKEY}" "DemoState" "$TEMP\${DEMOSTATE}"
  StrCpy $DemoDir "$INSTDIR"
SectionEnd

; Runs after the sections: what the user left out (or the command line switched off) of an
; earlier installation goes.
Section "-Tidy up"
  ${IfNot} ${SectionIsSelected} ${SecShortcuts}
    Call RemoveShortcuts
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecDemo}
    Call RemoveDemo
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\qvldev.dll"
  ${AndIfNot} ${FileExists} "$SYSDIR\qvldev.dll"
    StrCpy $NoDriver 1
    !insertmacro Note "qvldev.dll, the library of the controller's driver, was not found. ${NODRIVER_NOTE}"
    StrCpy $FinishText "${PRODUCT} has been installed on your computer.$\r$\n$\r$\n${NODRIVER_NOTE}"
  ${EndIf}
  ; Earlier versions wrote the start with Windows for the installing user only.
  DeleteRegValue HKCU "${RUNKEY}" "${RUNVALUE}"
  ${If} ${SectionIsSelected} ${SecAutostart}
  ${AndIf} $NoDriver = 0
    ; Hidden in the notification area: the console's "RAID" argument.
    WriteRegStr HKLM "${RUNKEY}" "${RUNVALUE}" '"$INSTDIR\qvlswap.exe" RAID'
  ${Else}
    ; Without a qvldev.dll the console would fail to load at every logon.
    DeleteRegValue HKLM "${RUNKEY}" "${RUNVALUE}"
    ${If} ${SectionIsSelected} ${SecAutostart}
      !insertmacro Note "${NOAUTOSTART_NOTE}"
      StrCpy $FinishText "$FinishText$\r$\n$\r$\n${NOAUTOSTART_NOTE}"
    ${EndIf}
  ${EndIf}
SectionEnd

Function RemoveShortcuts
  Delete "$SMPROGRAMS\${SMFOLDER}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${SMFOLDER}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${SMFOLDER}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${SMFOLDER}"
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  ; Shown beside the list (78 x 84 dialog units, about ten lines): each text fits whole.
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "The utility qvlswap.exe, its library qvlclient.dll, the command line qvlctl.exe and the help file QSWAP.CHM."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecShortcuts} "A Start menu folder with the utility, its help and the uninstaller."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "Starts the utility hidden in the notification area at every user's logon, once a driver's library (or the demonstration system) is there."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDemo} "A simulated RAID controller (qvldev.dll, qvlsim.exe) for trying the utility. Skipped where the driver is installed."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetShellVarContext all
  ReadRegStr $DemoDir HKLM "${REGKEY}" "DemoDir"
  StrCpy $NoDriver 0
  StrCpy $FinishText "$(MUI_TEXT_FINISH_INFO_TEXT)"
  ${GetParameters} $R9
  StrCpy $LogFile ""
  ${If} ${Silent}
    ClearErrors
    ${GetOptions} $R9 "/LOG=" $LogFile
    ${If} ${Errors}
    ${OrIf} $LogFile == ""
      StrCpy $LogFile "$TEMP\qvlswap-setup.log"
    ${EndIf}
    Delete "$LogFile"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R9 "/DEMO" $0
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecDemo}
  ${ElseIf} $DemoDir != ""
    ; An earlier demonstration system stays chosen.
    !insertmacro SelectSection ${SecDemo}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R9 "/NOAUTOSTART" $0
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R9 "/NOSHORTCUTS" $0
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecShortcuts}
  ${EndIf}
FunctionEnd

; With a driver's library in place the demonstration system cannot be chosen.
Function ComponentsPre
  Call FindDriverLibrary
  ${If} $R0 != ""
    !insertmacro UnselectSection ${SecDemo}
    !insertmacro SetSectionFlag ${SecDemo} ${SF_RO}
    SectionSetText ${SecDemo} "Demonstration system (driver installed)"
  ${Else}
    !insertmacro ClearSectionFlag ${SecDemo} ${SF_RO}
    SectionSetText ${SecDemo} "Demonstration system"
  ${EndIf}
FunctionEnd

; Without the driver's library the utility would not start: it is not offered.
Function FinishShow
  ${If} $NoDriver = 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; $R5: 1 when $R4 holds none of the characters that cmd takes for its own, else 0.
Function un.PlainForCmd
  StrCpy $R5 1
  StrCpy $R6 0
  ${Do}
    StrCpy $R7 $R4 1 $R6
    ${If} $R7 == ""
      ${ExitDo}
    ${EndIf}
    ${If} $R7 == "&"
    ${OrIf} $R7 == "|"
    ${OrIf} $R7 == "<"
    ${OrIf} $R7 == ">"
    ${OrIf} $R7 == "^"
    ${OrIf} $R7 == "%"
    ${OrIf} $R7 == '"'
      StrCpy $R5 0
      ${ExitDo}
    ${EndIf}
    IntOp $R6 $R6 + 1
  ${Loop}
FunctionEnd

; NSIS runs the uninstaller from a copy in $TEMP\~nsu*.tmp and leaves that copy for the restart,
; which takes the folder before the file and so leaves it empty. So the copy runs once more under
; cmd, which deletes it and then its folder (only when empty) as soon as it has ended; where cmd
; cannot, the folder is also left for the restart, after the file.
!define TEMPCOPY_SWITCH "/TEMPCOPY"
!define CREATE_NO_WINDOW 0x08000000
Function un.LeaveNoTempCopy
  ${GetParent} "$EXEDIR" $0
  ${GetFileName} "$EXEDIR" $1
  StrCpy $2 $1 4
  StrCpy $3 $1 "" -4
  ${If} $0 != $TEMP
  ${OrIf} $2 != "~nsu"
  ${OrIf} $3 != ".tmp"
    Return ; run in place (_?=), not from a copy
  ${EndIf}
  ${GetParameters} $4
  ClearErrors
  ${GetOptions} $4 "${TEMPCOPY_SWITCH}" $5
  ${IfNot} ${Errors}
    Return ; the run that cmd waits for
  ${EndIf}
  RMDir /REBOOTOK "$EXEDIR"
  SetRebootFlag false ; only this copy waits for the restart: nothing to tell
  ReadEnvStr $5 COMSPEC
  ${GetFileName} $5 $6
  StrCpy $R4 "$EXEDIR$INSTDIR$4"
  Call un.PlainForCmd
  ${If} $6 != "cmd.exe" ; command.com cannot chain commands
  ${OrIf} $R5 = 0
    Return
  ${EndIf}
  ; _?= stays last and unquoted, as NSIS wants it, so no blank before the "&".
  StrCpy $7 '"$5" /c ""$EXEPATH" $4 ${TEMPCOPY_SWITCH} _?=$INSTDIR& del "$EXEPATH"& rd "$EXEDIR""'
  System::Alloc 68 ; STARTUPINFO
  Pop $8
  System::Call '*$8(i 68)'
  System::Alloc 16 ; PROCESS_INFORMATION
  Pop $9
  ; Not started in the copy's folder, which cmd could not remove then.
  System::Call 'kernel32::CreateProcessA(i 0, t r7, i 0, i 0, i 0, i ${CREATE_NO_WINDOW}, i 0, t "$TEMP", i r8, i r9) i .r0'
  ${If} $0 <> 0
    System::Call '*$9(i .r1, i .r2)'
    System::Call 'kernel32::CloseHandle(i r1)'
    System::Call 'kernel32::CloseHandle(i r2)'
  ${EndIf}
  System::Free $8
  System::Free $9
  ${If} $0 <> 0
    Quit
  ${EndIf}
FunctionEnd

Function un.onInit
  Call un.LeaveNoTempCopy
  SetShellVarContext all
  StrCpy $UninstallTitle "$(MUI_UNTEXT_FINISH_TITLE)"
  StrCpy $UninstallSubtitle "$(MUI_UNTEXT_FINISH_SUBTITLE)"
FunctionEnd

; Adds $INSTDIR\FILE to the list in $0 when it is still there. The demonstration system's files
; count only when they are ours (a driver's qvldev.dll stays by design).
!macro NoteLeft file
  ${If} ${FileExists} "$INSTDIR\${file}"
    !if "${file}" == "qvldev.dll"
      ${AndIf} $R1 = 1
    !else if "${file}" == "qvlsim.exe"
      ${AndIf} $R1 = 1
    !endif
    StrCpy $0 "$0$\r$\n$INSTDIR\${file}"
  ${EndIf}
!macroend

Section "Uninstall"
  Call un.CloseConsole
  ; What a console that did not end still holds goes when Windows restarts.
  Call un.RemoveDemo
  Delete /REBOOTOK "$INSTDIR\qvlswap.exe"
  Delete /REBOOTOK "$INSTDIR\qvlclient.dll"
  Delete /REBOOTOK "$INSTDIR\qvlctl.exe"
  Delete /REBOOTOK "$INSTDIR\QSWAP.CHM"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: whatever else is there (a driver's qvldev.dll) is not ours. Left for the
  ; restart only when files of ours are, so that a driver's library never asks for a restart.
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
    ${If} $INSTDIR == "$PROGRAMFILES\Quorvel\Hot-Swap Utility"
      RMDir "$PROGRAMFILES\Quorvel"
    ${EndIf}
  ${EndIf}

  Delete "$SMPROGRAMS\${SMFOLDER}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${SMFOLDER}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${SMFOLDER}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${SMFOLDER}"

  DeleteRegValue HKLM "${RUNKEY}" "${RUNVALUE}"
  ; Written for the installing user by earlier versions.
  DeleteRegValue HKCU "${RUNKEY}" "${RUNVALUE}"
  DeleteRegKey HKLM "${UNINSTKEY}"
  DeleteRegKey HKLM "${REGKEY}"
  DeleteRegKey /ifempty HKLM "Software\Quorvel"

  ; A file that could neither go now nor be left for the restart is named, never passed over.
  StrCpy $0 ""
  !insertmacro NoteLeft qvlswap.exe
  !insertmacro NoteLeft qvlclient.dll
  !insertmacro NoteLeft qvlctl.exe
  !insertmacro NoteLeft QSWAP.CHM
  !insertmacro NoteLeft qvldev.dll
  !insertmacro NoteLeft qvlsim.exe
  ${If} $R1 = 1
  ${AndIf} $R3 != ""
  ${AndIf} ${FileExists} "$R3"
    StrCpy $0 "$0$\r$\n$R3"
  ${EndIf}
  ${If} $0 != ""
  ${AndIfNot} ${RebootFlag}
    StrCpy $UninstallTitle "Removal not finished"
    StrCpy $UninstallSubtitle "Some files could not be removed."
    DetailPrint "These files could not be removed:$0"
    MessageBox MB_OK|MB_ICONEXCLAMATION "These files of ${PRODUCT} could not be removed:$0$\r$\n$\r$\nClose every program that uses them and run the uninstaller again." /SD IDOK
    SetErrorLevel 2
  ${ElseIf} ${RebootFlag}
    StrCpy $UninstallTitle "Restart Windows to finish"
    StrCpy $UninstallSubtitle "Files in use are removed when Windows restarts."
    DetailPrint "${PRODUCT} could not be closed: the files it holds are removed when Windows restarts."
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} could not be closed, so some of its files are still in use in$\r$\n$INSTDIR$\r$\n$\r$\nThey are removed when Windows restarts. Restart Windows to finish the removal." /SD IDOK
    SetErrorLevel 3010 ; ERROR_SUCCESS_REBOOT_REQUIRED
  ${EndIf}
SectionEnd
