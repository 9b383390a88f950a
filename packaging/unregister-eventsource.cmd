@echo off
rem Removes the event source "Zorat" from the application event log, as
rem register-eventsource.cmd made it. Events already logged stay in the log;
rem the event viewer no longer finds their texts. Run it as an administrator;
rem when the source is not registered, there is nothing to do.
rem Exit codes: 0 removed or not registered, 1 failed (the registry could not
rem be read or written), 5 not run as an administrator.
rem Delayed expansion stays off, whatever the caller set: a "!" in a folder's
rem name stays as it is. Every path that a message names is quoted, so that
rem an "&" or "^" in it is printed and never run.
setlocal EnableExtensions DisableDelayedExpansion
rem Every check below reads the exit code of the program just run as
rem %ERRORLEVEL%; a variable of that name from the caller would hide it.
set "ERRORLEVEL="
set "LOG_KEY=HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application"
set "KEY=%LOG_KEY%\Zorat"

rem Only an elevated administrator gets an answer from fltmc; net session
rem answers the same way where fltmc is missing. Only an exit code of 0
rem counts: a program that cannot start or that crashes ends with a negative
rem one (0xC0000135, 0xC0000005), which "if not errorlevel 1" would let pass.
"%SystemRoot%\System32\fltmc.exe" >nul 2>&1
if "%ERRORLEVEL%"=="0" goto administrator
"%SystemRoot%\System32\net.exe" session >nul 2>&1
if "%ERRORLEVEL%"=="0" goto administrator
echo unregister-eventsource: run this script as an administrator (from a command prompt opened with "Run as administrator"); nothing was changed. 1>&2
exit /b 5
:administrator

rem reg query ends with 1 both for a missing key and for one it could not
rem read. The application log's own key always exists: once it reads, a 1
rem for the source's key below it means that the source is not registered.
"%SystemRoot%\System32\reg.exe" query "%LOG_KEY%" >nul
if not "%ERRORLEVEL%"=="0" goto unreadable
"%SystemRoot%\System32\reg.exe" query "%KEY%" >nul 2>&1
if "%ERRORLEVEL%"=="0" goto registered
if not "%ERRORLEVEL%"=="1" goto unreadable
echo unregister-eventsource: the event source Zorat is not registered; nothing to do.
exit /b 0
:registered

"%SystemRoot%\System32\reg.exe" delete "%KEY%" /f >nul
if not "%ERRORLEVEL%"=="0" goto failed
echo unregister-eventsource: the event source Zorat is removed.
exit /b 0

:unreadable
echo unregister-eventsource: whether the event source Zorat is registered could not be read from the registry key "%LOG_KEY%"; nothing was changed. 1>&2
exit /b 1

:failed
echo unregister-eventsource: the registry key "%KEY%" could not be removed. 1>&2
exit /b 1
