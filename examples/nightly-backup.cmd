@echo off
rem Nightly backup of the collected logs: a sample for the Task Scheduler.
rem
rem   nightly-backup.cmd ARCHIVE_DIR [LOG_FILE]
rem
rem Backs up the collected logs of 7 to 1 days ago (trovesave.exe -F 7 -T 1)
rem into ARCHIVE_DIR, a directory on the archive device such as M:\archive
rem (one backslash at its end is dropped). Appends what trovesave prints and
rem then one line with the date and time, trovesave's exit code and the
rem outcome to LOG_FILE, by default nightly-backup.log in the installation's
rem log folder. Logs already archived are recognised by name and size and not
rem copied again, so overlapping ranges on successive nights are harmless.
rem
rem The outcome is trovesave's exact exit code: 0 SUCCESS, 1 PARTIAL,
rem 2 NOTHING, and FAILED for every other code: 255, a negative code (the
rem program crashed, or could not start because a DLL it needs is missing:
rem -1073741515 = 0xC0000135) and the codes of cmd.exe itself when the
rem program cannot be started (3, 9009). "if errorlevel N" means "N or more"
rem and takes a negative code for success, so it is not used here. The
rem script ends with 0, 1 or 2 as trovesave did, and with 255 for all else.
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
for %%F in ("%LOG_FILE%") do if not exist "%%~dpF" mkdir "%%~dpF"
"%TROVESAVE%" -F %FROM_DAYS% -T %TO_DAYS% -D "%ARCHIVE_DIR%" >>"%LOG_FILE%" 2>&1
set "CODE=%ERRORLEVEL%"
set "SHOWN=%CODE%"
if %CODE% LSS 0 call :hex %CODE%
set "LINE=%DATE% %TIME% exit code %SHOWN%:"
if "%CODE%"=="0" goto success
if "%CODE%"=="1" goto partial
if "%CODE%"=="2" goto nothing
>>"%LOG_FILE%" echo %LINE% FAILED the backup to "%ARCHIVE_DIR%" failed; see the lines above, the audit log and the application event log
exit /b 255
:success
>>"%LOG_FILE%" echo %LINE% SUCCESS the logs of %FROM_DAYS% to %TO_DAYS% days ago are backed up to "%ARCHIVE_DIR%"
exit /b 0
:partial
>>"%LOG_FILE%" echo %LINE% PARTIAL some logs could not be backed up to "%ARCHIVE_DIR%"; the audit log names them
exit /b 1
:nothing
>>"%LOG_FILE%" echo %LINE% NOTHING no log of %FROM_DAYS% to %TO_DAYS% days ago to back up
exit /b 2

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
