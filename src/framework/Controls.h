// Thin wrappers of the system controls the skinned classes derive from, an owning image list and a
// tooltip control.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

namespace zarn {

class CButton : public CWnd {
  public:
    ~CButton() override { DestroyWindow(); }
    // A child push button (BS_PUSHBUTTON unless the style says otherwise).
    BOOL Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id);

  protected:
    // Owner-drawn buttons paint here (the parent's WM_DRAWITEM is passed on to the button's object).
    virtual void DrawItem(const DRAWITEMSTRUCT&) {}
    BOOL OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result) override;
};

class CStatic : public CWnd {
  public:
    ~CStatic() override { DestroyWindow(); }
    BOOL Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id = 0xFFFF);
};

class CProgressCtrl : public CWnd {
  public:
    ~CProgressCtrl() override { DestroyWindow(); }
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange(int& lower, int& upper) const;
};

// Owns an HIMAGELIST.
class CImageList {
  public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // Adds the images of `bitmap` with `mask` as transparent colour. The bitmap is only read (the
    // system call would blacken its masked pixels, so a copy is handed to it).
    int AddMasked(HBITMAP bitmap, COLORREF mask);
    BOOL Draw(HDC dc, int index, int x, int y, UINT style) const;
    // The size of image `index`; false when there is none.
    bool GetImageSize(int index, SIZE& size) const;
    int GetImageCount() const { return list_ ? ImageList_GetImageCount(list_) : 0; }
    void DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return list_; }

  private:
    HIMAGELIST list_ = nullptr;
};

class CToolTipCtrl : public CWnd {
  public:
    ~CToolTipCtrl() override { DestroyWindow(); }
    // A tooltip window owned by `parent`, TTS_ALWAYSTIP and the given extra styles.
    BOOL Create(HWND parent, DWORD style = 0);
    // Registers the whole client area of `wnd` as tool `id` whose text is asked for by TTN_GETDISPINFO.
    BOOL AddCallbackTool(HWND wnd, UINT_PTR id);
    void UpdateTipText(const std::wstring& text, HWND wnd, UINT_PTR id);
    // Registers the whole of `wnd` (wherever it is, whatever its size) as a tool whose text is asked
    // for by TTN_GETDISPINFO; UpdateWindowToolText sets it.
    BOOL AddWindowTool(HWND wnd);
    void UpdateWindowToolText(const std::wstring& text, HWND wnd);
    void Activate(BOOL active) { SendMessage(TTM_ACTIVATE, active); }
    void SetDelayTime(DWORD which, int ms) { SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(ms, 0)); }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
};

// A message of the mouse, in the client area or over the frame: what a tooltip is relayed. A tooltip
// is a window of its own, slow to make, so its owner can make it at the first of these.
inline bool IsMouseMessage(UINT msg) {
    return (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
           (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK);
}

} // namespace zarn
