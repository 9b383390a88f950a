#pragma once
// Small RAII holders for Win32 handles: one template, one closer per handle
// kind, and the kind's empty value (NULL for most, INVALID_HANDLE_VALUE for
// files, pipes and searches, whose creating calls fail with it).
#include <windows.h>

struct NullIsEmpty {
    template <typename T>
    static T Empty()
    {
        return nullptr;
    }
};
struct InvalidIsEmpty {
    template <typename T>
    static T Empty()
    {
        return static_cast<T>(INVALID_HANDLE_VALUE);
    }
};

template <typename T, typename Closer, typename EmptyValue = NullIsEmpty>
class UniqueHandleOf {
public:
    UniqueHandleOf() = default;
    explicit UniqueHandleOf(T value) : m_value(value) {}
    ~UniqueHandleOf() { reset(); }
    UniqueHandleOf(const UniqueHandleOf&) = delete;
    UniqueHandleOf& operator=(const UniqueHandleOf&) = delete;
    UniqueHandleOf(UniqueHandleOf&& other) noexcept : m_value(other.release()) {}
    UniqueHandleOf& operator=(UniqueHandleOf&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return m_value; }
    bool valid() const { return m_value != Empty(); }
    explicit operator bool() const { return valid(); }
    // For out-parameters of creating calls: closes what is held first.
    T* put()
    {
        reset();
        return &m_value;
    }
    T release()
    {
        T value = m_value;
        m_value = Empty();
        return value;
    }
    // Closes now; false when the closing call failed (GetLastError tells
    // why). Only for kinds whose closer answers whether it succeeded.
    bool close()
    {
        const T value = release();
        return value == Empty() || Closer()(value);
    }
    void reset(T value = Empty())
    {
        if (valid()) Closer()(m_value);
        m_value = value;
    }

private:
    static T Empty() { return EmptyValue::template Empty<T>(); }

    T m_value = Empty();
};

struct CloseHandleCloser {
    bool operator()(HANDLE h) const { return ::CloseHandle(h) != FALSE; }
};
struct RegCloseKeyCloser {
    void operator()(HKEY h) const { ::RegCloseKey(h); }
};
struct FreeLibraryCloser {
    void operator()(HMODULE h) const { ::FreeLibrary(h); }
};
struct LocalFreeCloser {
    void operator()(void* p) const { ::LocalFree(p); }
};
struct FindCloseCloser {
    void operator()(HANDLE h) const { ::FindClose(h); }
};
struct DeregisterEventSourceCloser {
    void operator()(HANDLE h) const { ::DeregisterEventSource(h); }
};

using UniqueHandle = UniqueHandleOf<HANDLE, CloseHandleCloser>;
// Files and pipes: CreateFile fails with INVALID_HANDLE_VALUE.
using UniqueFileHandle = UniqueHandleOf<HANDLE, CloseHandleCloser, InvalidIsEmpty>;
using UniqueHKey = UniqueHandleOf<HKEY, RegCloseKeyCloser>;
using UniqueModule = UniqueHandleOf<HMODULE, FreeLibraryCloser>;
using UniqueLocalMem = UniqueHandleOf<void*, LocalFreeCloser>;
using UniqueFind = UniqueHandleOf<HANDLE, FindCloseCloser, InvalidIsEmpty>;
using UniqueEventSource = UniqueHandleOf<HANDLE, DeregisterEventSourceCloser>;

// A started process: both handles of a PROCESS_INFORMATION, closed on
// destruction; the thread's may go early.
class UniqueProcess {
public:
    UniqueProcess() = default;
    explicit UniqueProcess(const PROCESS_INFORMATION& info)
        : m_process(info.hProcess), m_thread(info.hThread), m_dwProcessId(info.dwProcessId)
    {
    }

    HANDLE process() const { return m_process.get(); }
    HANDLE thread() const { return m_thread.get(); }
    DWORD id() const { return m_dwProcessId; }
    bool valid() const { return m_process.valid(); }
    void CloseThread() { m_thread.reset(); }
    void reset() { *this = UniqueProcess(); }

private:
    UniqueHandle m_process;
    UniqueHandle m_thread;
    DWORD m_dwProcessId = 0;
};

// A function of a loaded module as its own pointer type; null when missing.
template <typename Fn>
Fn GetProcAs(HMODULE hModule, const char* pszName)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
}
