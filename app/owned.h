// What the tool holds of Windows, each released by its owner when the owner goes, also when a
// failing step raises: kernel handles (files, processes, threads), find handles, registry
// keys, GDI objects, device contexts, objects selected into a device context, menus, COM
// objects.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace nadeshiro {

// A handle of type H that Release gives back to the system; null and INVALID_HANDLE_VALUE own
// nothing.
template <typename H, typename Release>
class Owned {
public:
    Owned() = default;
    explicit Owned(H handle) noexcept : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept
    {
        reset(other.release());
        return *this;
    }

    H get() const noexcept { return handle_; }
    bool valid() const noexcept { return handle_ != H{} && handle_ != reinterpret_cast<H>(INVALID_HANDLE_VALUE); }
    H release() noexcept { return std::exchange(handle_, H{}); }
    void reset(H handle = H{}) noexcept
    {
        if (valid()) Release{}(handle_);
        handle_ = handle;
    }
    // Where a system call writes a new handle, the one held released first.
    H* put() noexcept
    {
        reset();
        return &handle_;
    }

private:
    H handle_{};
};

struct CloseKernelHandle {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
struct CloseFindHandle {
    void operator()(HANDLE find) const noexcept { FindClose(find); }
};
struct CloseRegistryKey {
    void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
struct DestroyMenuHandle {
    void operator()(HMENU menu) const noexcept { DestroyMenu(menu); }
};
struct DeleteMemoryDc {
    void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};

using Handle = Owned<HANDLE, CloseKernelHandle>;
using FindHandle = Owned<HANDLE, CloseFindHandle>;
using RegistryKey = Owned<HKEY, CloseRegistryKey>;
template <typename G>
using GdiObject = Owned<G, DeleteGdiObject>;
using MemoryDc = Owned<HDC, DeleteMemoryDc>;
using Menu = Owned<HMENU, DestroyMenuHandle>;

// A window's device context, from GetDC (the screen's for nullptr) until the owner goes.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The device context a window paints in, for one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context, and what it replaced put back when the owner goes.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selected()
    {
        if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A reference to a COM object, released when the owner goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        reset();
        object_ = std::exchange(other.object_, nullptr);
        return *this;
    }
    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    void reset() noexcept
    {
        if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
    }
    // Where a system call writes a new reference, the one held released first.
    T** put() noexcept
    {
        reset();
        return &object_;
    }

private:
    T* object_ = nullptr;
};

}  // namespace nadeshiro
