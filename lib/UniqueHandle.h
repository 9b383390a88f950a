#pragma once
// Small RAII holders for Win32 handles whose "none" is NULL: one template, one
// closer per handle kind.
#include <windows.h>

template <typename T, typename Closer>
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
    bool valid() const { return m_value != nullptr; }
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
        m_value = nullptr;
        return value;
    }
    void reset(T value = nullptr)
    {
        if (m_value != nullptr) Closer()(m_value);
        m_value = value;
    }

private:
    T m_value = nullptr;
};

struct CloseHandleCloser { void operator()(HANDLE h) const { ::CloseHandle(h); } };
struct RegCloseKeyCloser { void operator()(HKEY h) const { ::RegCloseKey(h); } };
struct FreeLibraryCloser { void operator()(HMODULE h) const { ::FreeLibrary(h); } };
struct LocalFreeCloser { void operator()(void* p) const { ::LocalFree(p); } };
struct FindCloseCloser { void operator()(HANDLE h) const { ::FindClose(h); } };
struct DeregisterEventSourceCloser { void operator()(HANDLE h) const { ::DeregisterEventSource(h); } };

using UniqueHandle = UniqueHandleOf<HANDLE, CloseHandleCloser>;
using UniqueHKey = UniqueHandleOf<HKEY, RegCloseKeyCloser>;
using UniqueModule = UniqueHandleOf<HMODULE, FreeLibraryCloser>;
using UniqueLocalMem = UniqueHandleOf<void*, LocalFreeCloser>;
// Holds a search only once FindFirstFile succeeded (its failure value is
// INVALID_HANDLE_VALUE, not NULL).
using UniqueFind = UniqueHandleOf<HANDLE, FindCloseCloser>;
using UniqueEventSource = UniqueHandleOf<HANDLE, DeregisterEventSourceCloser>;

// A function of a loaded module as its own pointer type; null when missing.
template <typename Fn>
Fn GetProcAs(HMODULE hModule, const char* pszName)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
}
