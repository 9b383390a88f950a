// The steps both runs take before their selection: source directories,
// access rights and the dates selected.
#include <cstdlib>
#include <string>

#include "CAuthoritySetting.h"
#include "CCmdCommon.h"
#include "CDateTime.h"
#include "CIniFile.h"
#include "CProductInfo.h"
#include "trovecmd_config.h"
#include "trovecmd_run.h"

SourceDirectories ReadSourceDirectories(const std::string& logKind, CBase& errorRecord)
{
    char szPath[DIR_BUFFER_SIZE] = {};
    DWORD dwSize = sizeof(szPath);
    CProductInfo(PRODUCT_ZORAT).GetMgrEnvFileName(szPath, &dwSize);
    CIniFile managerDefinition(szPath);
    char szSaveDir[DIR_BUFFER_SIZE] = {};
    ReadSaveDir(szSaveDir, managerDefinition, errorRecord);
    char szNormalizeDir[DIR_BUFFER_SIZE] = {};
    ReadNormalizeDir(szNormalizeDir, logKind, errorRecord);
    return SourceDirectories{szSaveDir, szNormalizeDir};
}

void CheckNotSourceDir(const SourceDirectories& sources, const std::string& optionDir,
                       CBase& errorRecord)
{
    CheckNotSameDir(sources.saveDir.c_str(), optionDir.c_str(), errorRecord);
    if (!sources.normalizeDir.empty())
        CheckNotSameDir(sources.normalizeDir.c_str(), optionDir.c_str(), errorRecord);
}

void GrantAccessOnFixedDrive(const std::string& directory)
{
    if (CCmdCommon().IsFixedDrive(directory.c_str()))
        CAuthoritySetting().SetAccessRights(directory.c_str());
}

DateSelection SelectDates(const CommandOptions& options)
{
    // Both ends of a range from one moment, so midnight cannot fall between.
    CDateTime now;
    char szStamp[STAMP_BUFFER_SIZE];
    const auto daysBack = [&](int nDays) {
        now.BakDateTime(szStamp, sizeof(szStamp), nDays);
        return std::string(szStamp, 8);
    };
    DateSelection dates;
    if (!options.fromDays.empty()) {
        dates.bRange = true;
        dates.low = daysBack(atoi(options.fromDays.c_str()));
        dates.high = daysBack(atoi(options.toDays.c_str()));
    } else if (!options.logDate.empty()) {
        dates.patternPart = options.logDate;
    } else {
        dates.patternPart = daysBack(1);
    }
    return dates;
}

std::string SearchPattern(const std::string& directory, const CommandOptions& options,
                          const DateSelection& dates, const char* pszExtension)
{
    return directory + "\\" + options.hostName + "_" + options.secondName + "_*_" +
           dates.patternPart + "*" + pszExtension;
}
