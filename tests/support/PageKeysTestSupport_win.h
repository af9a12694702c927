// Key messages in the program's hosted pages, where Wine has no HTML engine: a fake in-place active
// object in the page's place, a record of what the page's window receives, and a message loop that
// runs posted keys as the program's loops do.
#pragma once

#include <windows.h>
#include <oleidl.h>

#include <set>
#include <vector>

#include "framework/Com.h"

namespace zarn::test {

// Who saw a key message, in the order they saw it.
struct KeySeen {
    enum Who { Page, Window } By;
    UINT Message;
    WPARAM Key;
    bool operator==(const KeySeen& other) const {
        return By == other.By && Message == other.Message && Key == other.Key;
    }
};
using KeyLog = std::vector<KeySeen>;

// The page's in-place active object as the control hands it to its site: it notes every message it
// is offered and takes (S_OK) the keys in Takes, leaving the rest (S_FALSE).
class FakeActiveObject final : public ComObject<IOleInPlaceActiveObject> {
  public:
    explicit FakeActiveObject(KeyLog& log) : Log(log) {}
    std::set<WPARAM> Takes;

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // The references others hold besides the creator's.
    ULONG OtherReferences() {
        AddRef();
        return Release() - 1;
    }

  protected:
    ~FakeActiveObject() override = default;
    void* QueryExtra(REFIID iid) override;

  private:
    KeyLog& Log;
};

// Notes the key messages (and the dialog manager's WM_GETDLGCODE) a window receives, while it is
// subclassed by this object.
class KeyWindowWatch {
  public:
    KeyWindowWatch(HWND wnd, KeyLog& log);
    ~KeyWindowWatch();
    KeyWindowWatch(const KeyWindowWatch&) = delete;
    KeyWindowWatch& operator=(const KeyWindowWatch&) = delete;

  private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
    HWND Wnd;
    KeyLog& Log;
    WNDPROC Previous;
};

// Posts a key message to the window and runs this thread's queue as the program's message loops do
// (the window objects' PreTranslateMessage, then TranslateMessage and DispatchMessage) until it has
// been handled.
void PostKeyLikeTheUser(HWND wnd, UINT message, WPARAM key);

// What the log holds for one key, in order.
KeyLog SeenOf(const KeyLog& log, WPARAM key);

} // namespace zarn::test
