#pragma once
#include <string>
#include <vector>

#include "CCheckData.h"
#include "CFileOperation.h"
#include "CTroveRun.h"

// The list files of a run and the copy commands that work them off: at most
// 2048 lines of "source TAB target CR LF" a list file, one arkcp call per
// list file, and the records checked against what the device really holds
// afterwards. The temporary files lie in the product's temporary directory,
// named after the program and the process.
class CCopyBatch {
public:
    // Reads the archive storage software's and the temporary directory.
    explicit CCopyBatch(CTroveRun& run);
    CCopyBatch(const CCopyBatch&) = delete;
    CCopyBatch& operator=(const CCopyBatch&) = delete;

    const std::string& ToolDir() const { return m_toolDir; }
    // "<tmp>\<module>_<stem>_<pid>.tmp"; numbered, "_<n>" of the list file
    // started next comes before ".tmp".
    std::string TemporaryFile(const char* pszStem, bool bNumbered) const;

    // Creates list file 0.
    void Open();
    // Queues a file: its line goes into the current list file (a new one
    // once that is full), then it becomes a record of the run.
    void Add(const std::string& sourcePath, const std::string& targetPath);
    void Close();
    // Runs arkcp with its options (" -a -m " or " -r -m ") once per list
    // file, when any line was written. A failed call marks every record
    // whose target is missing or cut with the tool's text; after a call
    // that succeeded, each of its records must have its target complete.
    void Copy(const char* pszOptions);
    // Removes the list files, the copy's capture file and the other files
    // named, in that order, where they exist; errors are ignored.
    void RemoveFiles(const std::vector<std::string>& others);

private:
    struct ListFile {
        std::string path;
        std::vector<size_t> records;
    };

    void StartListFile();
    // 1 when the target exists as a regular file of the source's size.
    bool IsComplete(const CopyRecord& record);
    void MarkFailed(const std::string& text);
    void Verify(const ListFile& list);

    CTroveRun& m_run;
    std::string m_toolDir;
    std::string m_tmpDir;
    std::string m_capturePath;
    std::vector<ListFile> m_lists;
    size_t m_nLines;  // in the current list file
    size_t m_nAllLines;
    CFileOperation m_file;
    CCheckData m_check;
};
