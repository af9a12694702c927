// The single-document frame, view and template.
#include "framework/DocView.h"

#include "framework/WinApp.h"

namespace zarn {

void CView::PreRegisterClass(WNDCLASSEXW& wc) {
    wc.lpszClassName = L"ZarnView";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
}

BOOL CView::CreateView(CFrameWnd& frame, CDocument* document) {
    Document_ = document;
    const RECT client = frame.GetClientRect();
    return Create(WS_EX_CLIENTEDGE, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, client,
                  frame.GetSafeHwnd(), FirstPaneId);
}

void CFrameWnd::PreRegisterClass(WNDCLASSEXW& wc) {
    wc.lpszClassName = L"ZarnFrame";
    wc.hbrBackground = nullptr; // the view covers the client area
    wc.hIcon = ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(ResourceId_));
    wc.hIconSm = wc.hIcon;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT; // the system places and sizes the frame
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, HWND parent, CreateContext& context) {
    ResourceId_ = resourceId;
    Document_ = context.Document;
    Context_ = &context;
    const BOOL created = Create(0, L"", style, RECT{}, parent);
    Context_ = nullptr;
    return created;
}

int CFrameWnd::OnCreate(CREATESTRUCTW*) {
    if (!Context_ || !Context_->NewView)
        return -1;
    View_ = Context_->NewView();
    if (!View_ || !View_->CreateView(*this, Document_)) {
        View_.reset();
        return -1;
    }
    return 0;
}

void CFrameWnd::InitialUpdateFrame(bool makeVisible) {
    if (View_)
        View_->OnInitialUpdate();
    if (makeVisible)
        ::ShowWindow(GetSafeHwnd(), SW_SHOW);
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(l));
    case WM_SIZE:
        if (View_ && View_->IsCreated()) {
            const RECT client = GetClientRect();
            ::MoveWindow(View_->GetSafeHwnd(), 0, 0, client.right, client.bottom, TRUE);
        }
        break;
    case WM_SETFOCUS:
        if (View_ && View_->IsCreated()) {
            ::SetFocus(View_->GetSafeHwnd());
            return 0;
        }
        break;
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_NCDESTROY:
        if (CWinApp* app = AfxGetApp(); app && app->MainWindow == GetSafeHwnd()) {
            app->MainWindow = nullptr;
            ::PostQuitMessage(0);
        }
        break;
    default:
        break;
    }
    return CWnd::WindowProc(msg, w, l);
}

CSingleDocTemplate::~CSingleDocTemplate() {
    Frame_.reset();
    Document_.reset();
}

CFrameWnd* CSingleDocTemplate::OpenNewDocument(bool makeVisible) {
    Document_ = NewDocument_();
    if (!Document_ || !Document_->OnNewDocument()) {
        Document_.reset();
        return nullptr;
    }
    Frame_ = NewFrame_();
    CreateContext context{Document_.get(), NewView_};
    if (!Frame_ || !Frame_->LoadFrame(ResourceId_, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, nullptr, context)) {
        Frame_.reset();
        Document_.reset();
        return nullptr;
    }
    if (CWinApp* app = AfxGetApp())
        app->MainWindow = Frame_->GetSafeHwnd();
    Frame_->InitialUpdateFrame(makeVisible);
    return Frame_.get();
}

} // namespace zarn
