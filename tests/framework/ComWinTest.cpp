// The COM kit: reference counts and the QueryInterface table of ComObject, ComPtr::As, the owners of
// BSTR, VARIANT, CoTaskMem memory and PIDLs, and AdviseCookie against a connection point of our own.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "framework/Com.h"
#include "framework/Handle.h"

using namespace zarn;

namespace {

// Counts how often objects of the test were destroyed.
int Destroyed = 0;

class Sample : public ComObject<IPersist, IOleInPlaceSite> {
  public:
    ~Sample() override { ++Destroyed; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
        *id = CLSID_NULL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* wnd) override {
        *wnd = nullptr;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, RECT*, RECT*,
                                               OLEINPLACEFRAMEINFO*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(const RECT*) override { return S_OK; }

  protected:
    void* QueryExtra(REFIID iid) override {
        return ::IsEqualIID(iid, IID_IOleWindow) ? static_cast<IOleWindow*>(this) : nullptr;
    }
};

// The references an object holds right now (AddRef and Release tell).
ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

} // namespace

TEST(ComObject, CountsReferencesAndGoesWithTheLastOne) {
    Destroyed = 0;
    ComPtr<Sample> sample = MakeComObject<Sample>();
    IPersist* persist = sample.get();
    EXPECT_EQ(persist->AddRef(), 2u);
    EXPECT_EQ(persist->AddRef(), 3u);
    EXPECT_EQ(persist->Release(), 2u);
    EXPECT_EQ(persist->Release(), 1u);
    {
        ComPtr<Sample> copy = sample;
        EXPECT_EQ(References(persist), 2u);
    }
    EXPECT_EQ(References(persist), 1u);
    EXPECT_EQ(Destroyed, 0);
    sample.reset();
    EXPECT_EQ(Destroyed, 1);
}

TEST(ComObject, QueryInterfaceAnswersItsTableAndNothingElse) {
    Destroyed = 0;
    {
        ComPtr<Sample> sample = MakeComObject<Sample>();
        ComPtr<IPersist> persist = sample.As<IPersist>();
        ComPtr<IOleInPlaceSite> site = sample.As<IOleInPlaceSite>();
        ComPtr<IOleWindow> window = sample.As<IOleWindow>();
        ASSERT_TRUE(persist);
        ASSERT_TRUE(site);
        ASSERT_TRUE(window);
        EXPECT_EQ(persist.get(), static_cast<IPersist*>(sample.get()));
        EXPECT_EQ(site.get(), static_cast<IOleInPlaceSite*>(sample.get()));
        EXPECT_EQ(window.get(), static_cast<IOleWindow*>(sample.get()));
        EXPECT_EQ(References(static_cast<IPersist*>(sample.get())), 4u);

        // IUnknown is one pointer whichever interface is asked.
        ComPtr<IUnknown> fromPersist = persist.As<IUnknown>();
        ComPtr<IUnknown> fromSite = site.As<IUnknown>();
        ComPtr<IUnknown> fromWindow = window.As<IUnknown>();
        ASSERT_TRUE(fromPersist);
        EXPECT_EQ(fromPersist.get(), fromSite.get());
        EXPECT_EQ(fromPersist.get(), fromWindow.get());

        // Not in the table: E_NOINTERFACE, a null result, no reference taken.
        const ULONG before = References(static_cast<IPersist*>(sample.get()));
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(persist->QueryInterface(IID_IStream, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
        EXPECT_FALSE(site.As<IDispatch>());
        EXPECT_EQ(persist->QueryInterface(IID_IPersist, nullptr), E_POINTER);
        EXPECT_EQ(References(static_cast<IPersist*>(sample.get())), before);
    }
    EXPECT_EQ(Destroyed, 1);
}

TEST(ComOwners, VariantClearsWhatItHoldsOnce) {
    Destroyed = 0;
    {
        UniqueVariant value;
        EXPECT_EQ(value.get().vt, VT_EMPTY);
        ComPtr<IUnknown> object = MakeComObject<Sample>().As<IUnknown>();
        value->vt = VT_UNKNOWN;
        value->punkVal = object.get();
        value->punkVal->AddRef(); // the variant's own reference
        object.reset();
        EXPECT_EQ(References(value->punkVal), 1u);
        UniqueVariant moved = std::move(value);
        EXPECT_EQ(value.get().vt, VT_EMPTY);
        EXPECT_EQ(moved.get().vt, VT_UNKNOWN);
        EXPECT_EQ(Destroyed, 0);
    }
    EXPECT_EQ(Destroyed, 1);

    UniqueVariant text;
    VARIANT* slot = text.put();
    slot->vt = VT_BSTR;
    slot->bstrVal = ::SysAllocString(L"zarn");
    EXPECT_EQ(std::wstring(text.get().bstrVal), L"zarn");
    text.put(); // clears the string
    EXPECT_EQ(text.get().vt, VT_EMPTY);
}

TEST(ComOwners, BstrCoTaskMemAndPidlAreHeldAndHandedOver) {
    UniqueBstr text(::SysAllocString(L"MirelCorvale"));
    ASSERT_TRUE(text);
    EXPECT_EQ(::SysStringLen(text.get()), 12u);
    UniqueBstr moved = std::move(text);
    EXPECT_FALSE(text);
    BSTR raw = moved.release();
    EXPECT_FALSE(moved);
    ::SysFreeString(raw);

    UniqueCoTaskMem<wchar_t> memory(static_cast<wchar_t*>(::CoTaskMemAlloc(16 * sizeof(wchar_t))));
    ASSERT_TRUE(memory);
    memory.get()[0] = L'\0';
    memory.reset();
    EXPECT_FALSE(memory);

    UniquePidl folder;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_WINDOWS, folder.put()), S_OK);
    ASSERT_TRUE(folder);
    wchar_t path[MAX_PATH] = {};
    EXPECT_TRUE(::SHGetPathFromIDListW(folder.get(), path));
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(_wcsicmp(path, windows), 0) << "pidl path " << path;
}

namespace {

// A connection point for IPropertyNotifySink that is its own container and records its calls.
class NotifySource : public ComObject<IConnectionPointContainer, IConnectionPoint> {
  public:
    int Advised = 0;
    int Unadvised = 0;
    ComPtr<IUnknown> Sink;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        *point = nullptr;
        if (!::IsEqualIID(iid, IID_IPropertyNotifySink))
            return CONNECT_E_NOCONNECTION;
        *point = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        *iid = IID_IPropertyNotifySink;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
        *out = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (Sink)
            return CONNECT_E_ADVISELIMIT;
        ++Advised;
        sink->AddRef();
        Sink = ComPtr<IUnknown>::Attach(sink);
        *cookie = 42;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        if (cookie != 42 || !Sink)
            return CONNECT_E_NOCONNECTION;
        ++Unadvised;
        Sink.reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
};

class NotifySink : public ComObject<IPropertyNotifySink> {
  public:
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

} // namespace

TEST(AdviseCookie, UnadvisesOnceWhenItGoes) {
    ComPtr<NotifySource> source = MakeComObject<NotifySource>();
    ComPtr<NotifySink> sink = MakeComObject<NotifySink>();
    IUnknown* sourceUnknown = source.As<IUnknown>().get();
    IUnknown* sinkUnknown = sink.As<IUnknown>().get();
    {
        AdviseCookie cookie = AdviseCookie::Connect(sourceUnknown, IID_IPropertyNotifySink, sinkUnknown);
        ASSERT_TRUE(cookie);
        EXPECT_EQ(cookie.get(), 42u);
        EXPECT_EQ(source->Advised, 1);
        EXPECT_EQ(References(sinkUnknown), 2u); // ours and the source's
        AdviseCookie moved = std::move(cookie);
        EXPECT_FALSE(cookie);
        EXPECT_TRUE(moved);
        EXPECT_EQ(source->Unadvised, 0);
    }
    EXPECT_EQ(source->Unadvised, 1);
    EXPECT_EQ(References(sinkUnknown), 1u);
    EXPECT_EQ(References(sourceUnknown), 1u); // the cookie let its connection point go

    // Unknown events or a missing source give an empty cookie, and nothing to unadvise.
    AdviseCookie none = AdviseCookie::Connect(sourceUnknown, IID_IDispatch, sinkUnknown);
    EXPECT_FALSE(none);
    EXPECT_FALSE(AdviseCookie::Connect(nullptr, IID_IPropertyNotifySink, sinkUnknown));
    none.reset();
    EXPECT_EQ(source->Advised, 1);
    EXPECT_EQ(source->Unadvised, 1);
}
