@echo off
rem Nightly backup of the collected logs: a sample for the Task Scheduler.
rem
rem   nightly-backup.cmd ARCHIVE_DIR [LOG_FILE]
rem
rem Backs up the collected logs of 7 to 1 days ago (trovesave.exe -F 7 -T 1)
rem into ARCHIVE_DIR, a directory on the archive device such as M:\archive
rem (no backslash at the end), and appends one line with the date and time of
rem the run and its outcome to LOG_FILE, by default nightly-backup.log in the
rem installation's log folder. Logs already archived are recognised and not
rem copied again, so overlapping ranges on successive nights are harmless.
rem The script ends with trovesave's exit code (255 also when trovesave could
rem not be started or ended abnormally).
rem
rem It expects to lie in a folder beside the installation's bin folder, as
rem the installation's examples folder; copied elsewhere, set TROVESAVE
rem below. Schedule it under an account of the local Administrators group,
rem for example:
rem   schtasks /create /tn "Zorat nightly backup" /sc daily /st 02:30 /ru SYSTEM
rem            /tr "C:\Kelvane\Zorat\examples\nightly-backup.cmd M:\archive"
setlocal
set "TROVESAVE=%~dp0..\bin\trovesave.exe"
set "FROM_DAYS=7"
set "TO_DAYS=1"
set "ARCHIVE_DIR=%~1"
set "LOG_FILE=%~2"
if "%LOG_FILE%"=="" set "LOG_FILE=%~dp0..\log\nightly-backup.log"
if not "%ARCHIVE_DIR%"=="" goto run
echo usage: nightly-backup.cmd ARCHIVE_DIR [LOG_FILE] 1>&2
exit /b 255

:run
for %%F in ("%LOG_FILE%") do if not exist "%%~dpF" mkdir "%%~dpF"
"%TROVESAVE%" -F %FROM_DAYS% -T %TO_DAYS% -D "%ARCHIVE_DIR%"

rem "if errorlevel N" holds for N and above: test the highest code first. A
rem negative code (the program ended abnormally) counts as a failure too.
if errorlevel 255 goto failed
if errorlevel 2 goto nothing
if errorlevel 1 goto partial
if not errorlevel 0 goto failed
set "CODE=0"
set "OUTCOME=SUCCESS the logs of %FROM_DAYS% to %TO_DAYS% days ago are backed up to %ARCHIVE_DIR%"
goto report
:partial
set "CODE=1"
set "OUTCOME=PARTIAL some logs could not be backed up to %ARCHIVE_DIR%; the audit log names them"
goto report
:nothing
set "CODE=2"
set "OUTCOME=NOTHING no log of %FROM_DAYS% to %TO_DAYS% days ago to back up"
goto report
:failed
set "CODE=255"
set "OUTCOME=FAILED the backup to %ARCHIVE_DIR% failed; see the audit log and the application event log"
:report
>>"%LOG_FILE%" echo %DATE% %TIME% exit code %CODE%: %OUTCOME%
exit /b %CODE%
