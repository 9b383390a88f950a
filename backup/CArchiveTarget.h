#pragma once
#include <string>
#include <unordered_set>

#include "CCheckData.h"
#include "CDeviceListing.h"
#include "CTroveRun.h"

// Names the archived copy of each selected log file: its name up to the
// extension with ".cln", or the first free numbered name (_001 to _999)
// when that is taken. A taken name whose archived file has the log file's
// size means the log is archived already. The device listing that tells
// the sizes is made at most once a run, when a name is first found taken.
class CArchiveTarget {
public:
    // The listing, when it is needed, is captured into capturePath.
    CArchiveTarget(CTroveRun& run, const std::string& toolDir, const std::string& capturePath);
    CArchiveTarget(const CArchiveTarget&) = delete;
    CArchiveTarget& operator=(const CArchiveTarget&) = delete;

    // True with the target in TargetPath(); false when the log is archived
    // already (reported, with audit "C"). Failures are thrown; those that
    // must end the run as CListingFault.
    bool AssignArchiveTarget(const std::string& fileName, const std::string& sourcePath,
                             long long nSourceSize);
    // The last candidate, also after a failure; empty before the first.
    const std::string& TargetPath() const { return m_targetPath; }
    // The device listing's capture file, whether or not a listing was made.
    const std::string& ListingCapture() const { return m_capturePath; }

private:
    void SetCandidate(const std::string& baseName, int nAttempt, int nLengthTag);
    // The size of the named archived file as listed; throws (fatal) when the
    // listing lacks it.
    long long ListedSize(const std::string& sourcePath);
    void MakeListing();

    CTroveRun& m_run;
    std::string m_archiveDir;
    std::string m_extension;
    std::string m_toolDir;
    std::string m_targetPath;
    std::string m_targetName;
    std::string m_capturePath;
    bool m_bListingDone;
    CDeviceListing m_listing;
    // Names given to files of this run: taken, though not yet on the device;
    // folded, as the device tells names apart.
    std::unordered_set<std::wstring> m_assigned;
    CCheckData m_check;
};
