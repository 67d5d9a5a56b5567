#pragma once

#include <utility>

#include "platform/win32/windows_api.h"

// Owns one Windows handle and releases it the way its kind is released.
template <typename Traits>
class Owned final {
public:
    using Handle = typename Traits::Handle;

    Owned() = default;
    explicit Owned(Handle handle) : m_handle(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : m_handle(std::exchange(other.m_handle, Traits::invalid())) {}
    Owned& operator=(Owned&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, Traits::invalid());
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::invalid(); }
    void reset(Handle handle = Traits::invalid())
    {
        if (m_handle != Traits::invalid())
            Traits::release(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::invalid();
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void release(Handle handle) { ::CloseHandle(handle); }
};
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void release(Handle handle) { ::CloseHandle(handle); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void release(Handle handle) { ::FindClose(handle); }
};
struct FontTraits {
    using Handle = HFONT;
    static Handle invalid() { return nullptr; }
    static void release(Handle handle) { ::DeleteObject(handle); }
};
struct IconTraits {
    using Handle = HICON;
    static Handle invalid() { return nullptr; }
    static void release(Handle handle) { ::DestroyIcon(handle); }
};

struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle invalid() { return nullptr; }
    static void release(Handle handle) { ::CloseServiceHandle(handle); }
};

using OwnedFile = Owned<FileHandleTraits>;           // CreateFileW
using OwnedKernelObject = Owned<KernelHandleTraits>; // tokens, processes
using OwnedFind = Owned<FindHandleTraits>;           // FindFirstFileExW
using OwnedFont = Owned<FontTraits>;
using OwnedIcon = Owned<IconTraits>;
using OwnedServiceHandle = Owned<ServiceHandleTraits>; // OpenSCManagerW, OpenServiceW
