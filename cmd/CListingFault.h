#pragma once
#include "CReportException.h"

// A failure of the device listing, or a taken archived name that the listing
// lacks. No archived name can be judged after it: it ends the whole run, and
// no file of the run is reported one by one.
class CListingFault : public CReportException {
public:
    using CReportException::CReportException;
};
