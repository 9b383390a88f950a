#include "InstalledProduct.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

#include "UniqueHandle.h"

namespace e2e {

const char* const INSTALL_DIR = "C:\\Kelvane\\Zorat";
const char* const TMP_DIR = "C:\\Kelvane\\Zorat\\tmp";
const char* const SAVE_DIR = "C:\\ZoratLogs\\save";
const char* const NORMALIZE_DIR = "C:\\ZoratLogs\\normalize";
const char* const ARCHIVE_DIR = "M:\\archive";
const char* const NETWORK_ARCHIVE_DIR = "N:\\archive";
const char* const ARKSTORE_DIR = "C:\\Kelvane\\Arkstore";
const char* const AGENT_CONFIG =
    "C:\\Kelvane\\Brannoc\\Brannoc.dm\\quend\\data\\etc\\quendconf.ini";
const char DEVICE_ERROR_TEXT[] =
    "STRAVIK QX900"
    "\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd"
    "\x81\x42\x8b\x5a\x8f\x70\x88\xf5\x82\xc9\x98\x41\x97\x8d\x82\xb5\x82\xc4\x82\xad\x82\xbe"
    "\x82\xb3\x82\xa2\x81\x42";

namespace {

namespace fs = std::filesystem;
using testing_support::ReadWholeFile;

const std::string AUDIT_LOG = std::string(INSTALL_DIR) + "\\log\\audit.log";
const std::string CALL_RECORD = std::string(ARKSTORE_DIR) + "\\arkstore-calls.log";

// Runs a command line with its standard output and error in files (stdin
// empty) and
// answers its exit code; beforeStart sees its process id before it runs.
DWORD RunCommand(const std::string& commandLine, const std::string& outFile,
                 const std::string& errFile, DWORD* pdwProcessId = nullptr,
                 const std::function<void(DWORD)>& beforeStart = {})
{
    testing_support::ChildProcess child(commandLine, outFile, errFile,
                                        beforeStart ? CREATE_SUSPENDED : 0);
    if (pdwProcessId) *pdwProcessId = child.Pid();
    if (beforeStart) {
        beforeStart(child.Pid());
        child.Resume();
    }
    return child.Wait(100000);
}

// Through "\\?\", so that names that Windows paths cannot spell (a device
// name, a trailing dot) go as well.
void EmptyDirectory(const std::string& dir)
{
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator("\\\\?\\" + dir)) fs::remove_all(entry.path());
}

ULONGLONG SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// What a file that only grows holds beyond its size at some earlier moment.
struct Growth {
    std::string path;
    ULONGLONG nBefore;
    explicit Growth(const std::string& file) : path(file), nBefore(SizeOf(file)) {}
    std::string Text() const
    {
        const std::string text = ReadWholeFile(path);
        return text.size() < nBefore ? text : text.substr(nBefore);
    }
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = line.find(separator, nStart)) != std::string::npos;
         nStart = nEnd + 1)
        fields.push_back(line.substr(nStart, nEnd - nStart));
    fields.push_back(line.substr(nStart));
    return fields;
}

// "date time, host, origin host, identity, result, program, command line,
// subject, message", as the audit library writes a record.
std::vector<AuditRecord> ParseAudit(const std::string& text)
{
    std::vector<AuditRecord> records;
    for (const std::string& line : Lines(text)) {
        const std::vector<std::string> f = Split(line, '\t');
        if (f.size() != 9) {
            ADD_FAILURE() << "audit line: " << line;
            continue;
        }
        records.push_back({f[4], f[5], f[6], f[8]});
    }
    return records;
}

// Blocks of "call <tool>", "command ...", "list ..." lines and "end".
std::vector<ToolCall> ParseCalls(const std::string& text)
{
    std::vector<ToolCall> calls;
    for (const std::string& line : Lines(text)) {
        const size_t nBlank = line.find(' ');
        const std::string keyword = line.substr(0, nBlank);
        const std::string rest = nBlank == std::string::npos ? "" : line.substr(nBlank + 1);
        if (keyword == "call") calls.push_back({rest, "", {}});
        else if (calls.empty()) ADD_FAILURE() << "call record: " << line;
        else if (keyword == "command") calls.back().command = rest;
        else if (keyword == "list") calls.back().lines.push_back(rest);
    }
    return calls;
}

// The value after "-D" in blank-separated arguments.
std::string ArchiveDirOf(const std::string& args)
{
    const std::vector<std::string> words = Split(args, ' ');
    for (size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == "-D") return words[i + 1];
    return "";
}

const char MANAGER_DEFINITION[] = "[MANAGER]\r\nSAVE_DIR=C:\\ZoratLogs\\save\r\n";
const char AGENT_CONFIGURATION[] = "[Directory]\r\nNormalizeDir=C:\\ZoratLogs\\normalize\r\n";

}  // namespace

std::string RunResult::AuditLetters() const
{
    std::string letters;
    for (const AuditRecord& record : audit) letters += record.result;
    return letters;
}

std::vector<std::string> RunResult::AuditLines() const
{
    std::vector<std::string> lines;
    for (const AuditRecord& record : audit) lines.push_back(record.result + " " + record.message);
    return lines;
}

void InstalledProduct::Reset()
{
    // Other test programs of this prefix remove the product's registry keys.
    const std::string regOut = m_scratch.Path() + "\\reg-out.txt";
    const std::string regErr = m_scratch.Path() + "\\reg-err.txt";
    ASSERT_EQ(0u, RunCommand(std::string("reg.exe import ") + INSTALL_DIR + "\\etc\\layout.reg " +
                                 (sizeof(void*) == 4 ? "/reg:32" : "/reg:64"),
                             regOut, regErr))
        << ReadWholeFile(regOut) << ReadWholeFile(regErr);
    WriteText(std::string(INSTALL_DIR) + "\\etc\\zoratmgr.def", MANAGER_DEFINITION);
    WriteText(AGENT_CONFIG, AGENT_CONFIGURATION);
    for (const char* pszDir : {SAVE_DIR, NORMALIZE_DIR, ARCHIVE_DIR, NETWORK_ARCHIVE_DIR, TMP_DIR})
        EmptyDirectory(pszDir);
    for (const char* pszSub : {"\\trace", "\\log", "\\ctl\\exc"})
        EmptyDirectory(INSTALL_DIR + std::string(pszSub));
    SetToolFaults("");
    DeleteFileA(CALL_RECORD.c_str());
    const std::string aclLog = m_scratch.Path() + "\\qwacl.log";
    DeleteFileA(aclLog.c_str());
    SetEnvironmentVariableA("QWACL_CALL_LOG", aclLog.c_str());
}

RunResult InstalledProduct::Run(const std::string& program, const std::string& args,
                                const std::function<void(DWORD)>& beforeStart)
{
    const std::string identity = program == "trovesave" ? "trovesv" : "trovers";
    const Growth audit(AUDIT_LOG), calls(CALL_RECORD), acl(m_scratch.Path() + "\\qwacl.log"),
        trace(std::string(INSTALL_DIR) + "\\trace\\" + identity + ".trc");
    const std::string outFile = m_scratch.Path() + "\\out.txt";
    const std::string errFile = m_scratch.Path() + "\\err.txt";

    RunResult run;
    run.exitCode = RunCommand(std::string(INSTALL_DIR) + "\\bin\\" + program + ".exe " + args,
                              outFile, errFile, &run.processId, beforeStart);
    run.out = Lines(ReadWholeFile(outFile));
    run.err = Lines(ReadWholeFile(errFile));
    run.audit = ParseAudit(audit.Text());
    run.trace = trace.Text();
    run.calls = ParseCalls(calls.Text());
    run.aclCalls = Lines(acl.Text());
    const std::string archiveDir = ArchiveDirOf(args);
    if (!archiveDir.empty() && fs::is_directory(archiveDir))
        for (const auto& entry : fs::directory_iterator(archiveDir))
            run.archive[entry.path().filename().string()] = SizeOf(entry.path().string());
    for (const auto& entry : fs::directory_iterator(TMP_DIR))
        run.tmpFiles.push_back(entry.path().filename().string());
    return run;
}

std::string InstalledProduct::WriteLog(const std::string& dir, const std::string& name,
                                       ULONGLONG size)
{
    const std::string path = dir + "\\" + name;
    UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("cannot create " + path);
    const HANDLE hFile = file.get();
    bool bDone;
    if (size > 1024 * 1024) {
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        bDone = SetFilePointerEx(hFile, end, nullptr, FILE_BEGIN) && SetEndOfFile(hFile);
    } else {
        std::string text;
        while (text.size() < size) text += name + "\n";
        text.resize(static_cast<size_t>(size));
        DWORD dwWritten = 0;
        bDone = WriteFile(hFile, text.data(), static_cast<DWORD>(text.size()), &dwWritten,
                          nullptr) &&
                dwWritten == text.size();
    }
    file.reset();
    if (!bDone) throw std::runtime_error("cannot write " + path);
    return path;
}

void InstalledProduct::WriteText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

void InstalledProduct::SetToolFaults(const std::string& control)
{
    const std::string path = std::string(ARKSTORE_DIR) + "\\arkstore.ctl";
    if (control.empty()) DeleteFileA(path.c_str());
    else WriteText(path, control);
}

std::string InstalledProduct::Text(DWORD dwMessageId, const std::vector<std::string>& inserts)
{
    std::vector<std::string> texts = inserts;
    texts.resize(5, "(NULL)");
    DWORD_PTR args[5];
    for (int i = 0; i < 5; ++i) args[i] = reinterpret_cast<DWORD_PTR>(texts[i].c_str());
    const std::string text = testing_support::MessageText(
        std::string(INSTALL_DIR) + "\\bin\\zoratmsg.dll", dwMessageId, 0x409, args);
    if (text.empty()) ADD_FAILURE() << "no message text for " << std::hex << dwMessageId;
    return text;
}

std::string InstalledProduct::Dated(std::string text)
{
    for (size_t nOpen; (nOpen = text.find('{')) != std::string::npos;)
        text.replace(nOpen, text.find('}', nOpen) - nOpen + 1, DaysAgo(atoi(&text[nOpen + 1])));
    return text;
}

std::string InstalledProduct::DaysAgo(int nDays)
{
    const time_t when = time(nullptr) - static_cast<time_t>(nDays) * 86400;
    char szDate[16];
    strftime(szDate, sizeof(szDate), "%Y%m%d", localtime(&when));
    return szDate;
}

}  // namespace e2e
