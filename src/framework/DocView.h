// The single-document pieces: a document, a view that fills its frame's client area, the frame
// window, and the template that makes the three of them for a new document. One document and one
// frame per process is all the program needs.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "framework/Wnd.h"

namespace zarn {

class CDocument {
  public:
    CDocument() = default;
    virtual ~CDocument() = default;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    // A new, empty document; FALSE cancels its opening.
    virtual BOOL OnNewDocument() { return TRUE; }
};

class CFrameWnd;

// A view: a child window of its frame, with the frame's first pane id, showing its document.
class CView : public CWnd {
  public:
    static constexpr UINT FirstPaneId = 0xE900;

    ~CView() override { DestroyWindow(); }

    BOOL CreateView(CFrameWnd& frame, CDocument* document);
    CDocument* GetDocument() const { return Document_; }
    // The frame has been created and the document is loaded.
    virtual void OnInitialUpdate() {}

  protected:
    void PreRegisterClass(WNDCLASSEXW& wc) override;

  private:
    CDocument* Document_ = nullptr;
};

// What a frame needs while it is being created: its document and how to make its view.
struct CreateContext {
    CDocument* Document = nullptr;
    std::function<std::unique_ptr<CView>()> NewView;
};

// The frame: a top-level window whose client area is its view. It owns the view object. Closing it
// destroys it; when it is the application's main window, its end ends the message loop.
class CFrameWnd : public CWnd {
  public:
    ~CFrameWnd() override { DestroyWindow(); }

    // Creates the frame (class icon from resourceId) and, while it is being created, its view.
    BOOL LoadFrame(UINT resourceId, DWORD style, HWND parent, CreateContext& context);
    CView* GetActiveView() const { return View_.get(); }
    CDocument* GetActiveDocument() const { return Document_; }
    // Tells the view that everything is in place; shows the frame when makeVisible.
    void InitialUpdateFrame(bool makeVisible);

  protected:
    void PreRegisterClass(WNDCLASSEXW& wc) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    // WM_CREATE: makes the view from the creation context; -1 when it could not be made.
    virtual int OnCreate(CREATESTRUCTW* cs);
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  private:
    UINT ResourceId_ = 0;
    CreateContext* Context_ = nullptr; // during LoadFrame only
    CDocument* Document_ = nullptr;
    std::unique_ptr<CView> View_;
};

// Makes the document, frame and view of one document type. The template owns the document and the
// frame (which owns the view); the frame goes first.
class CSingleDocTemplate {
  public:
    template <class Document, class Frame, class View>
    static std::unique_ptr<CSingleDocTemplate> Make(UINT resourceId) {
        auto made = std::unique_ptr<CSingleDocTemplate>(new CSingleDocTemplate(resourceId));
        made->NewDocument_ = [] { return std::make_unique<Document>(); };
        made->NewFrame_ = [] { return std::make_unique<Frame>(); };
        made->NewView_ = [] { return std::make_unique<View>(); };
        return made;
    }
    ~CSingleDocTemplate();
    CSingleDocTemplate(const CSingleDocTemplate&) = delete;
    CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

    // A new document in a new frame; null when any step failed (nothing is left then).
    CFrameWnd* OpenNewDocument(bool makeVisible);
    CFrameWnd* Frame() const { return Frame_.get(); }

  private:
    explicit CSingleDocTemplate(UINT resourceId) : ResourceId_(resourceId) {}

    UINT ResourceId_;
    std::function<std::unique_ptr<CDocument>()> NewDocument_;
    std::function<std::unique_ptr<CFrameWnd>()> NewFrame_;
    std::function<std::unique_ptr<CView>()> NewView_;
    std::unique_ptr<CDocument> Document_;
    std::unique_ptr<CFrameWnd> Frame_;
};

} // namespace zarn
