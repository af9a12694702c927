// Move-only owners for Win32 handles, GDI objects, device contexts and COM pointers.
// Every resource the program opens is held by one of these, so no path can leak it.
#pragma once

#include <windows.h>
#include <wininet.h>
#include <objbase.h>

#include <utility>

namespace zarn {

// Owns a value of type T that Traits::Close releases; Traits::Invalid() is the "nothing held" value.
template <typename T, typename Traits> class UniqueResource {
  public:
    UniqueResource() noexcept = default;
    explicit UniqueResource(T value) noexcept : value_(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    T get() const noexcept { return value_; }
    bool valid() const noexcept { return value_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // Gives up ownership without closing.
    T release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    void reset(T value = Traits::Invalid()) noexcept {
        T old = std::exchange(value_, value);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

    // For out-parameters: closes what is held and hands out the slot.
    T* put() noexcept {
        reset();
        return &value_;
    }

  private:
    T value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() noexcept { return nullptr; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::FindClose(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() noexcept { return nullptr; }
    static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};
struct InternetHandleTraits {
    static HINTERNET Invalid() noexcept { return nullptr; }
    static void Close(HINTERNET h) noexcept { ::InternetCloseHandle(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() noexcept { return nullptr; }
    static void Close(HMODULE h) noexcept { ::FreeLibrary(h); }
};
template <typename G> struct GdiObjectTraits {
    static G Invalid() noexcept { return nullptr; }
    static void Close(G h) noexcept { ::DeleteObject(h); }
};
struct MemoryDCTraits {
    static HDC Invalid() noexcept { return nullptr; }
    static void Close(HDC h) noexcept { ::DeleteDC(h); }
};
struct IconTraits {
    static HICON Invalid() noexcept { return nullptr; }
    static void Close(HICON h) noexcept { ::DestroyIcon(h); }
};
struct MenuTraits {
    static HMENU Invalid() noexcept { return nullptr; }
    static void Close(HMENU h) noexcept { ::DestroyMenu(h); }
};
struct HookTraits {
    static HHOOK Invalid() noexcept { return nullptr; }
    static void Close(HHOOK h) noexcept { ::UnhookWindowsHookEx(h); }
};
struct GlobalMemoryTraits {
    static HGLOBAL Invalid() noexcept { return nullptr; }
    static void Close(HGLOBAL h) noexcept { ::GlobalFree(h); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueFind = UniqueResource<HANDLE, FindHandleTraits>;
using UniqueHKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueInternet = UniqueResource<HINTERNET, InternetHandleTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;
using UniqueBitmap = UniqueResource<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueResource<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueResource<HFONT, GdiObjectTraits<HFONT>>;
using UniquePen = UniqueResource<HPEN, GdiObjectTraits<HPEN>>;
using UniqueRegion = UniqueResource<HRGN, GdiObjectTraits<HRGN>>;
using UniqueMemoryDC = UniqueResource<HDC, MemoryDCTraits>;
using UniqueIcon = UniqueResource<HICON, IconTraits>;
using UniqueMenu = UniqueResource<HMENU, MenuTraits>;
using UniqueHook = UniqueResource<HHOOK, HookTraits>;
using UniqueGlobal = UniqueResource<HGLOBAL, GlobalMemoryTraits>;

// A window's DC from GetDC, given back with ReleaseDC.
class WindowDC {
  public:
    explicit WindowDC(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_)
            ::ReleaseDC(wnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

  private:
    HWND wnd_;
    HDC dc_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDC {
  public:
    explicit PaintDC(HWND wnd) noexcept : wnd_(wnd) { dc_ = ::BeginPaint(wnd, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(wnd_, &ps_); }
    HDC get() const noexcept { return dc_; }
    const PAINTSTRUCT& info() const noexcept { return ps_; }

  private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// Selects a GDI object into a DC and puts the previous one back on scope exit.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_)
            ::SelectObject(dc_, old_);
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// SaveDC/RestoreDC pair.
class SavedDCState {
  public:
    explicit SavedDCState(HDC dc) noexcept : dc_(dc), id_(::SaveDC(dc)) {}
    SavedDCState(const SavedDCState&) = delete;
    SavedDCState& operator=(const SavedDCState&) = delete;
    ~SavedDCState() {
        if (id_)
            ::RestoreDC(dc_, id_);
    }

  private:
    HDC dc_;
    int id_;
};

// Reference-counted COM pointer.
template <typename I> class ComPtr {
  public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr& other) noexcept : p_(other.p_) {
        if (p_)
            p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already owns.
    static ComPtr Attach(I* p) noexcept {
        ComPtr c;
        c.p_ = p;
        return c;
    }

    I* get() const noexcept { return p_; }
    I* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void reset() noexcept {
        if (I* p = std::exchange(p_, nullptr))
            p->Release();
    }
    I** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // The object's interface J (null if it has none); the IID is J's own, so the two cannot disagree.
    template <typename J> ComPtr<J> As() const noexcept {
        ComPtr<J> out;
        if (p_)
            p_->QueryInterface(__uuidof(J), out.put_void());
        return out;
    }

  private:
    I* p_ = nullptr;
};

// CoInitialize for a scope; CoUninitialize only if it succeeded.
class ComInit {
  public:
    ComInit() noexcept : hr_(::CoInitialize(nullptr)) {}
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    ~ComInit() {
        if (SUCCEEDED(hr_))
            ::CoUninitialize();
    }
    bool ok() const noexcept { return SUCCEEDED(hr_); }

  private:
    HRESULT hr_;
};

} // namespace zarn
