// troveload: copies archived log files, selected by host, second name,
// kind, date and generation, back from the archive storage device into a
// local restore directory, never over a file that is already there.
#include "CRestoreRun.h"
#include "CTroveRun.h"

int main(int argc, char** argv)
{
    RestrictLibrarySearch();
    if (IsUsageRequest(argc, argv)) return PrintUsage();
    // Before the run, whose own construction would otherwise throw unguarded.
    CTroveRun run(argc, argv, DecideLanguage());
    CRestoreRun restore(run);
    run.Guard([&] {
        run.CheckUserAndServer();
        ParseCommandLine(argc, argv, run.Options(), run);
        restore.Configure();
        restore.Select();
        restore.Copy();
    });
    restore.RemoveTemporaryFiles();
    run.ReportFiles();
    restore.Unlock();
    return run.Finish();
}
