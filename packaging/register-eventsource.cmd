@echo off
rem Registers the event source "Zorat" of the application event log with the
rem message file zoratmsg.dll of this script's own folder, so that the event
rem viewer shows the texts of the events that trovesave.exe and troveload.exe
rem report. Run it from the product's bin folder as an administrator; running
rem it again sets the same values again.
rem Exit codes: 0 registered, 1 failed (the message file is missing or the
rem registry could not be written), 5 not run as an administrator.
rem Delayed expansion stays off, whatever the caller set: a "!" in a folder's
rem name stays as it is. Every path that a message names is quoted, so that
rem an "&" or "^" in it is printed and never run.
setlocal EnableExtensions DisableDelayedExpansion
rem Every check below reads the exit code of the program just run as
rem %ERRORLEVEL%; a variable of that name from the caller would hide it.
set "ERRORLEVEL="
set "KEY=HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Zorat"
set "MESSAGE_FILE=%~dp0zoratmsg.dll"

rem Only an elevated administrator gets an answer from fltmc; net session
rem answers the same way where fltmc is missing. Only an exit code of 0
rem counts: a program that cannot start or that crashes ends with a negative
rem one (0xC0000135, 0xC0000005), which "if not errorlevel 1" would let pass.
"%SystemRoot%\System32\fltmc.exe" >nul 2>&1
if "%ERRORLEVEL%"=="0" goto administrator
"%SystemRoot%\System32\net.exe" session >nul 2>&1
if "%ERRORLEVEL%"=="0" goto administrator
echo register-eventsource: run this script as an administrator (from a command prompt opened with "Run as administrator"); nothing was changed. 1>&2
exit /b 5
:administrator

if exist "%MESSAGE_FILE%" goto found
echo register-eventsource: the message file "%MESSAGE_FILE%" is missing; run this script from the folder that holds zoratmsg.dll. 1>&2
exit /b 1
:found

"%SystemRoot%\System32\reg.exe" add "%KEY%" /v EventMessageFile /t REG_EXPAND_SZ /d "%MESSAGE_FILE%" /f >nul
if not "%ERRORLEVEL%"=="0" goto failed
"%SystemRoot%\System32\reg.exe" add "%KEY%" /v TypesSupported /t REG_DWORD /d 7 /f >nul
if not "%ERRORLEVEL%"=="0" goto failed
echo register-eventsource: the event source Zorat is registered with the message file "%MESSAGE_FILE%".
exit /b 0

:failed
echo register-eventsource: the registry key "%KEY%" could not be written. 1>&2
exit /b 1
