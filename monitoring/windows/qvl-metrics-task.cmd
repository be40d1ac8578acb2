@echo off
rem Creates the scheduled task that writes qvl.prom for the Windows exporter's textfile
rem collector every minute, as SYSTEM. Run once as an administrator. The collector's folder
rem is its default; change TEXTFILE for a --collector.textfile.directories of your own.
set "QVLCTL=%ProgramFiles%\Quorvel\Hot-Swap Utility\qvlctl.exe"
if defined ProgramFiles(x86) set "QVLCTL=%ProgramFiles(x86)%\Quorvel\Hot-Swap Utility\qvlctl.exe"
set "TEXTFILE=%ProgramFiles%\windows_exporter\textfile_inputs"
if defined ProgramW6432 set "TEXTFILE=%ProgramW6432%\windows_exporter\textfile_inputs"
schtasks /Create /F /RU SYSTEM /SC MINUTE /MO 1 /TN "Quorvel RAID metrics" /TR "\"%QVLCTL%\" metrics --output \"%TEXTFILE%\qvl.prom\""
