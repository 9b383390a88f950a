// trovesave: copies the collected log files of one kind, selected by host,
// second name and date, into an archive directory on the archive storage
// device, under names that never collide with what is archived there.
#include "CBackupRun.h"
#include "CTroveRun.h"

int main(int argc, char** argv)
{
    RestrictLibrarySearch();
    if (IsUsageRequest(argc, argv)) return PrintUsage();
    // Before the run, whose own construction would otherwise throw unguarded.
    CTroveRun run(argc, argv, DecideLanguage());
    CBackupRun backup(run);
    run.Guard([&] {
        run.CheckUserAndServer();
        ParseCommandLine(argc, argv, run.Options(), run);
        backup.Configure();
        backup.Select();
        backup.Copy();
    });
    backup.RemoveTemporaryFiles();
    run.ReportFiles();
    return run.Finish();
}
