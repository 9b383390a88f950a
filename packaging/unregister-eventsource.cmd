@echo off
rem Removes the event source "Zorat" from the application event log, as
rem register-eventsource.cmd made it. Events already logged stay in the log;
rem the event viewer no longer finds their texts. Run it as an administrator;
rem when the source is not registered, there is nothing to do.
rem Exit codes: 0 removed or not registered, 1 failed, 5 not run as an
rem administrator.
setlocal
set "KEY=HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Zorat"

rem Only an elevated administrator gets an answer from fltmc; net session
rem answers the same way where fltmc is missing.
"%SystemRoot%\System32\fltmc.exe" >nul 2>&1
if not errorlevel 1 goto administrator
"%SystemRoot%\System32\net.exe" session >nul 2>&1
if not errorlevel 1 goto administrator
echo unregister-eventsource: run this script as an administrator (from a command prompt opened with "Run as administrator"); nothing was changed. 1>&2
exit /b 5
:administrator

"%SystemRoot%\System32\reg.exe" query "%KEY%" >nul 2>&1
if not errorlevel 1 goto registered
echo unregister-eventsource: the event source Zorat is not registered; nothing to do.
exit /b 0
:registered

"%SystemRoot%\System32\reg.exe" delete "%KEY%" /f >nul
if errorlevel 1 goto failed
echo unregister-eventsource: the event source Zorat is removed.
exit /b 0

:failed
echo unregister-eventsource: the registry key %KEY% could not be removed. 1>&2
exit /b 1
