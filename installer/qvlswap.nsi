; Setup of the Quorvel Hot-Swap Utility: qvlswap-setup.exe.
;
; Built by CMake with makensis, which passes the folder of the built files and the output:
;   makensis -DBINDIR=build/bin -DICON=qvlswap.ico -DOUTFILE=build/bin/qvlswap-setup.exe qvlswap.nsi
;
; Command line of the setup, besides NSIS's own /S and /D=folder:
;   /DEMO         also install the demonstration system (simulated qvldev.dll and qvlsim.exe)
;   /NOAUTOSTART  do not start the utility with Windows
;   /NOSHORTCUTS  no Start-menu entries
;
; The real qvldev.dll belongs to the controller's driver. The demonstration system goes in only
; where no such library is found (in the target folder, unless this setup put it there, or in
; the system folder), and it is taken out again when a driver's library turns up later, since
; the copy in the program's folder would be loaded in its place.

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

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
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
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Closes a running console through its File, Exit command (closing its window only hides it).
!macro CloseConsole un
Function ${un}CloseConsole
  FindWindow $0 "${MAINCLASS}" "${PRODUCT}"
  ${If} $0 == 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT} is running. It will be closed now." /SD IDOK IDOK close
  Abort
close:
  DetailPrint "Closing the running ${PRODUCT}"
  SendMessage $0 ${WM_COMMAND} ${IDM_MENU_EXIT} 0 /TIMEOUT=5000
  StrCpy $1 0
  ${Do}
    Sleep 200
    IntOp $1 $1 + 1
    FindWindow $0 "${MAINCLASS}" "${PRODUCT}"
    ${If} $0 == 0
    ${OrIf} $1 >= 50
      ${ExitDo}
    ${EndIf}
  ${Loop}
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

; Takes out the demonstration system that this setup installed into $INSTDIR, and only that.
Function ${un}RemoveDemo
  Call ${un}OurDemoHere
  ${If} $R1 = 1
    Delete "$INSTDIR\qvlsim.exe"
    Delete "$INSTDIR\qvldev.dll"
    DeleteRegValue HKLM "${REGKEY}" "DemoDir"
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
SectionEnd

Section "Start menu entries" SecShortcuts
  CreateDirectory "$SMPROGRAMS\${SMFOLDER}"
  CreateShortCut "$SMPROGRAMS\${SMFOLDER}\${PRODUCT}.lnk" "$INSTDIR\qvlswap.exe"
  CreateShortCut "$SMPROGRAMS\${SMFOLDER}\${PRODUCT} Help.lnk" "$INSTDIR\QSWAP.CHM"
  CreateShortCut "$SMPROGRAMS\${SMFOLDER}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

Section "Start with Windows" SecAutostart
  ; Hidden in the notification area: the console's "RAID" argument.
  WriteRegStr HKCU "${RUNKEY}" "${RUNVALUE}" '"$INSTDIR\qvlswap.exe" RAID'
SectionEnd

Section /o "Demonstration system" SecDemo
  Call FindDriverLibrary
  ${If} $R0 != ""
    DetailPrint "The controller's driver library $R0 is present: the demonstration system is not installed."
    MessageBox MB_OK|MB_ICONINFORMATION "The controller's driver library is installed:$\r$\n$R0$\r$\n$\r$\nThe demonstration system is not installed, so that the utility uses the driver's library." /SD IDOK
    Call RemoveDemo
    Return
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${BINDIR}\qvldev.dll"
  File "${BINDIR}\qvlsim.exe"
  WriteRegStr HKLM "${REGKEY}" "DemoDir" "$INSTDIR"
  StrCpy $DemoDir "$INSTDIR"
SectionEnd

; Runs after the sections: what the user left out (or the command line switched off) of an
; earlier installation goes.
Section "-Tidy up"
  ${IfNot} ${SectionIsSelected} ${SecShortcuts}
    Call RemoveShortcuts
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    DeleteRegValue HKCU "${RUNKEY}" "${RUNVALUE}"
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecDemo}
    Call RemoveDemo
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\qvldev.dll"
  ${AndIfNot} ${FileExists} "$SYSDIR\qvldev.dll"
    DetailPrint "qvldev.dll, the library of the controller's driver, was not found: install the driver before starting the utility."
  ${EndIf}
SectionEnd

Function RemoveShortcuts
  Delete "$SMPROGRAMS\${SMFOLDER}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${SMFOLDER}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${SMFOLDER}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${SMFOLDER}"
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "The utility qvlswap.exe, its library qvlclient.dll, the command line qvlctl.exe and the help file QSWAP.CHM."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecShortcuts} "A Start menu folder with the utility, its help and the uninstaller."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "Start the utility hidden in the notification area when you log on, so that no driver event goes unseen."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDemo} "A simulated RAID controller (qvldev.dll and qvlsim.exe) for trying the utility without one. Never installed where the controller's driver library is present."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetShellVarContext all
  ReadRegStr $DemoDir HKLM "${REGKEY}" "DemoDir"
  ${GetParameters} $R9
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

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  Call un.CloseConsole
  Call un.RemoveDemo
  Delete "$INSTDIR\qvlswap.exe"
  Delete "$INSTDIR\qvlclient.dll"
  Delete "$INSTDIR\qvlctl.exe"
  Delete "$INSTDIR\QSWAP.CHM"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: whatever else is there (a driver's qvldev.dll) is not ours.
  RMDir "$INSTDIR"
  ${If} $INSTDIR == "$PROGRAMFILES\Quorvel\Hot-Swap Utility"
    RMDir "$PROGRAMFILES\Quorvel"
  ${EndIf}

  Delete "$SMPROGRAMS\${SMFOLDER}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${SMFOLDER}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${SMFOLDER}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${SMFOLDER}"

  DeleteRegValue HKCU "${RUNKEY}" "${RUNVALUE}"
  DeleteRegKey HKLM "${UNINSTKEY}"
  DeleteRegKey HKLM "${REGKEY}"
  DeleteRegKey /ifempty HKLM "Software\Quorvel"
SectionEnd
