// Stand-in for the product family's common trace library: one readable line
// per record, appended to "<identity>.trc" in the trace directory.
#include "qwtrcapi.h"

#include "familycommon.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const DWORD OPEN_MAGIC = 0x51575452;  // "QWTR"

// What the library keeps in the caller's context.
struct TraceContext {
    DWORD dwMagic;
    char szIdentity[QWTRC_IDENTITY_SIZE + 1];
};
static_assert(sizeof(TraceContext) <= QWTRC_CONTEXT_SIZE, "context too small");

TraceContext* ContextOf(void* context) { return static_cast<TraceContext*>(context); }

// Looked up when a trace is opened, not for every record: a registry read and
// a directory check per record cost more than the record itself.
std::string s_traceDirectory;

}  // namespace

extern "C" int __cdecl QwTrcOpen(void* context, DWORD /*mode*/, const char* identity)
{
    if (!context || !identity || !identity[0]) return 0;
    TraceContext* pContext = ContextOf(context);
    memset(pContext, 0, sizeof(*pContext));
    strncpy(pContext->szIdentity, identity, QWTRC_IDENTITY_SIZE);
    pContext->dwMagic = OPEN_MAGIC;
    s_traceDirectory = ProductDirectory("trace");
    return 1;
}

extern "C" int __cdecl QwTrcWrite(void* context, int /*reserved*/, int level,
                                  const char* sourceName, int line, int /*kind*/,
                                  int textLength, DWORD processId, DWORD threadId,
                                  const char* text)
{
    TraceContext* pContext = ContextOf(context);
    if (!pContext || pContext->dwMagic != OPEN_MAGIC || !text || textLength < 0) return 0;

    SYSTEMTIME now;
    GetLocalTime(&now);
    char szHead[160];
    snprintf(szHead, sizeof(szHead), "%04u/%02u/%02u %02u:%02u:%02u.%03u pid=%lu tid=%lu %s %s(%d) ",
             now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
             now.wMilliseconds, static_cast<unsigned long>(processId),
             static_cast<unsigned long>(threadId), level == QWTRC_LEVEL_INFO ? "INF" : "ERR",
             sourceName ? sourceName : "", line);
    std::string record = szHead;
    // One record, one line: line breaks inside a message become blanks.
    for (int i = 0; i < textLength; ++i)
        record += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    record += "\r\n";

    return AppendToFile(s_traceDirectory + "\\" + pContext->szIdentity + ".trc", record) ? 1 : 0;
}

extern "C" int __cdecl QwTrcClose(void* context, int /*reserved*/)
{
    TraceContext* pContext = ContextOf(context);
    if (!pContext || pContext->dwMagic != OPEN_MAGIC) return 0;
    pContext->dwMagic = 0;
    return 1;
}
