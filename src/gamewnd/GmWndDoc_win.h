// CGmWndDoc: the game window's document. The page is the view's; the document holds nothing.
#pragma once

#include "framework/DocView.h"

namespace zarn {

class CGmWndDoc : public CDocument {
  public:
    BOOL OnNewDocument() override { return CDocument::OnNewDocument(); }
};

} // namespace zarn
