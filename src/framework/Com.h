// COM kit: owners for BSTR, VARIANT, CoTaskMem memory and PIDLs, a base for the program's own COM
// objects (reference count and a QueryInterface table), and a connection that unadvises itself.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>
#include <shtypes.h>

#include <atomic>
#include <utility>

#include "framework/Handle.h"

namespace zarn {

struct BstrTraits {
    static BSTR Invalid() noexcept { return nullptr; }
    static void Close(BSTR s) noexcept { ::SysFreeString(s); }
};
template <typename T> struct CoTaskMemTraits {
    static T* Invalid() noexcept { return nullptr; }
    static void Close(T* p) noexcept { ::CoTaskMemFree(const_cast<void*>(static_cast<const void*>(p))); }
};

using UniqueBstr = UniqueResource<BSTR, BstrTraits>;
// Memory from CoTaskMemAlloc (or handed out by a COM call), given back with CoTaskMemFree.
template <typename T> using UniqueCoTaskMem = UniqueResource<T*, CoTaskMemTraits<T>>;
// An item ID list from the shell; CoTaskMemFree is what ILFree does.
using UniquePidl = UniqueCoTaskMem<ITEMIDLIST>;

// A VARIANT cleared (VariantClear) when it goes; move-only, like the other owners.
class UniqueVariant {
  public:
    UniqueVariant() noexcept { ::VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    UniqueVariant(UniqueVariant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
    UniqueVariant& operator=(UniqueVariant&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = other.value_;
            ::VariantInit(&other.value_);
        }
        return *this;
    }
    ~UniqueVariant() { reset(); }

    const VARIANT& get() const noexcept { return value_; }
    VARIANT* operator->() noexcept { return &value_; }
    void reset() noexcept {
        ::VariantClear(&value_);
        ::VariantInit(&value_);
    }
    // For out-parameters: clears what is held and hands out the slot.
    VARIANT* put() noexcept {
        reset();
        return &value_;
    }
    // Gives up ownership: the caller clears the returned value.
    VARIANT release() noexcept {
        VARIANT out = value_;
        ::VariantInit(&value_);
        return out;
    }

  private:
    VARIANT value_;
};

// The base of a COM object of this program that implements `Interfaces`: an atomic reference count
// (starting at 1, see MakeComObject) and a QueryInterface that answers each of `Interfaces` by its
// __uuidof, and IUnknown always with the same pointer (that of the first interface). Interfaces a
// listed one derives from (IOleWindow under IOleInPlaceSite) are answered through QueryExtra.
template <typename First, typename... Rest> class ComObject : public First, public Rest... {
  public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) final {
        if (!out)
            return E_POINTER;
        *out = Find(iid);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() final { return ++References; }
    ULONG STDMETHODCALLTYPE Release() final {
        const ULONG left = --References;
        if (left == 0)
            delete this;
        return left;
    }

  protected:
    virtual ~ComObject() = default;
    // Further entries of the table: the interface pointer for `iid`, or null.
    virtual void* QueryExtra(REFIID) { return nullptr; }

  private:
    void* Find(REFIID iid) {
        if (::IsEqualIID(iid, __uuidof(IUnknown)))
            return static_cast<IUnknown*>(static_cast<First*>(this));
        // The table: (IID, interface) for every listed interface, in order.
        void* found = Match<First>(iid);
        ((found = found ? found : Match<Rest>(iid)), ...);
        return found ? found : QueryExtra(iid);
    }
    template <typename I> void* Match(REFIID iid) {
        return ::IsEqualIID(iid, __uuidof(I)) ? static_cast<I*>(this) : nullptr;
    }

    std::atomic<ULONG> References{1};
};

// A new COM object of type T, owned by the returned pointer (its one reference).
template <typename T, typename... Args> ComPtr<T> MakeComObject(Args&&... args) {
    return ComPtr<T>::Attach(new T(std::forward<Args>(args)...));
}

// A sink connected to a source's connection point; Unadvise when the cookie goes. Move-only.
class AdviseCookie {
  public:
    AdviseCookie() noexcept = default;
    AdviseCookie(const AdviseCookie&) = delete;
    AdviseCookie& operator=(const AdviseCookie&) = delete;
    AdviseCookie(AdviseCookie&& other) noexcept
        : Point(std::move(other.Point)), Cookie(std::exchange(other.Cookie, 0)) {}
    AdviseCookie& operator=(AdviseCookie&& other) noexcept {
        if (this != &other) {
            reset();
            Point = std::move(other.Point);
            Cookie = std::exchange(other.Cookie, 0);
        }
        return *this;
    }
    ~AdviseCookie() { reset(); }

    // Connects `sink` to the connection point for `events` of `source`; an empty cookie on failure.
    static AdviseCookie Connect(IUnknown* source, REFIID events, IUnknown* sink) {
        AdviseCookie result;
        if (!source || !sink)
            return result;
        ComPtr<IConnectionPointContainer> container;
        if (FAILED(source->QueryInterface(__uuidof(IConnectionPointContainer), container.put_void())))
            return result;
        ComPtr<IConnectionPoint> point;
        if (FAILED(container->FindConnectionPoint(events, point.put())) || !point)
            return result;
        DWORD cookie = 0;
        if (FAILED(point->Advise(sink, &cookie)))
            return result;
        result.Point = std::move(point);
        result.Cookie = cookie;
        return result;
    }

    explicit operator bool() const noexcept { return Point && Cookie != 0; }
    DWORD get() const noexcept { return Cookie; }
    // Unadvises now (once); the cookie is empty afterwards.
    void reset() noexcept {
        if (Point && Cookie != 0)
            Point->Unadvise(Cookie);
        Point.reset();
        Cookie = 0;
    }

  private:
    ComPtr<IConnectionPoint> Point;
    DWORD Cookie = 0;
};

} // namespace zarn
