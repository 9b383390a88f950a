@echo off
rem Nightly backup: a sample for the Task Scheduler.
rem
rem   nightly-backup.cmd ARCHIVE_DIR [LOG_FILE]
rem
rem Backs up the logs of 7 to 1 days ago (trovesave.exe -F 7 -T 1) into
rem ARCHIVE_DIR, a directory on the archive device such as M:\archive (one
rem backslash at its end is dropped): first the collected logs, then the
rem normalized ones (-L CSV). Appends what trovesave prints and, for each of
rem the two runs, one line with the date and time, trovesave's exit code and
rem the outcome to LOG_FILE, by default nightly-backup.log in the
rem installation's log folder. Logs already archived are recognised by name
rem and size and not copied again, so overlapping ranges on successive nights
rem are harmless.
rem
rem A run's outcome is trovesave's exact exit code: 0 SUCCESS, 1 PARTIAL,
rem 2 NOTHING, and FAILED for every other code: 255, a negative code (the
rem program crashed, or could not start because a DLL it needs is missing:
rem -1073741515 = 0xC0000135) and the codes of cmd.exe itself when the
rem program cannot be started (9009). "if errorlevel N" means "N or more" and
rem takes a negative code for success, so it is not used here. The script
rem ends as the worse of the two runs, FAILED over PARTIAL over SUCCESS over
rem NOTHING, with 255, 1, 0 or 2. A log that cannot be written (its folder is
rem missing and cannot be made, or writing is refused) ends it with a line on
rem standard error and 255 before anything runs.
rem
rem It expects to lie in a folder beside the installation's bin folder, as
rem the installation's examples folder; copied elsewhere, set TROVESAVE
rem below. Schedule it with the highest privileges under an account of the
rem local Administrators group, for example (one line):
rem   schtasks /create /tn "Zorat nightly backup" /sc daily /st 02:30 /ru SYSTEM
rem     /rl HIGHEST /tr "\"C:\Kelvane\Zorat\examples\nightly-backup.cmd\" M:\archive"
rem A task that runs as SYSTEM sees no mapped network drive letters.

rem Delayed expansion stays off, so that "!" in a path stays, and every path
rem is used inside double quotes, so that "&" and "^" in it run nothing.
setlocal EnableExtensions DisableDelayedExpansion
set "TROVESAVE=%~dp0..\bin\trovesave.exe"
set "FROM_DAYS=7"
set "TO_DAYS=1"
set "ARCHIVE_DIR=%~1"
set "LOG_FILE=%~2"
if not defined LOG_FILE set "LOG_FILE=%~dp0..\log\nightly-backup.log"
if defined ARCHIVE_DIR goto run
echo usage: nightly-backup.cmd ARCHIVE_DIR [LOG_FILE] 1>&2
exit /b 255

:run
if "%ARCHIVE_DIR:~-1%"=="\" set "ARCHIVE_DIR=%ARCHIVE_DIR:~0,-1%"
for %%F in ("%LOG_FILE%") do if not exist "%%~dpF" mkdir "%%~dpF" 2>nul
rem The log must take a line before anything runs: cmd.exe starts no program
rem whose output it cannot append, and ERRORLEVEL would keep an earlier code.
set "WRITABLE="
>>"%LOG_FILE%" set "WRITABLE=1"
if defined WRITABLE goto backup
echo nightly-backup: the log "%LOG_FILE%" cannot be written (its folder is missing and cannot be made, or writing is refused); nothing was backed up. 1>&2
exit /b 255

:backup
rem RANK: the worst outcome so far, NOTHING 0, SUCCESS 1, PARTIAL 2, FAILED 3.
set "RANK=0"
call :trovesave "collected logs"
call :trovesave "normalized logs" "-L CSV"
if "%RANK%"=="3" exit /b 255
if "%RANK%"=="2" exit /b 1
if "%RANK%"=="1" exit /b 0
exit /b 2

rem :trovesave WHAT [OPTION] runs trovesave once, appends its line to the log
rem and raises RANK to its outcome.
:trovesave
set "KIND=%~2"
if defined KIND set "KIND= %KIND%"
rem A program that never starts leaves this code, never an earlier one.
call :preset 255
"%TROVESAVE%" -F %FROM_DAYS% -T %TO_DAYS%%KIND% -D "%ARCHIVE_DIR%" >>"%LOG_FILE%" 2>&1
set "CODE=%ERRORLEVEL%"
set "SHOWN=%CODE%"
if %CODE% LSS 0 call :hex %CODE%
set "LINE=%DATE% %TIME% exit code %SHOWN%:"
if "%CODE%"=="0" goto success
if "%CODE%"=="1" goto partial
if "%CODE%"=="2" goto nothing
>>"%LOG_FILE%" echo %LINE% FAILED the backup of the %~1 to "%ARCHIVE_DIR%" failed; see the lines above, the audit log and the application event log
set "RANK=3"
exit /b 0
:success
>>"%LOG_FILE%" echo %LINE% SUCCESS the %~1 of %FROM_DAYS% to %TO_DAYS% days ago are backed up to "%ARCHIVE_DIR%"
if %RANK% LSS 1 set "RANK=1"
exit /b 0
:partial
>>"%LOG_FILE%" echo %LINE% PARTIAL some %~1 could not be backed up to "%ARCHIVE_DIR%"; the audit log names them
if %RANK% LSS 2 set "RANK=2"
exit /b 0
:nothing
>>"%LOG_FILE%" echo %LINE% NOTHING no %~1 of %FROM_DAYS% to %TO_DAYS% days ago to back up
exit /b 0

:preset
exit /b %1

rem :hex CODE sets SHOWN to the code and its 32 bits in hexadecimal, as
rem exception statuses are written: -1073741819 (0xC0000005).
:hex
set /a "BITS=%~1"
set "DIGITS=0123456789ABCDEF"
set "HEX="
for /l %%i in (1,1,8) do call :nibble
set "SHOWN=%~1 (0x%HEX%)"
exit /b 0
:nibble
set /a "NIBBLE=BITS & 15, BITS >>= 4"
call set "HEX=%%DIGITS:~%NIBBLE%,1%%%HEX%"
exit /b 0
