// GdiplusSession: GDI+ started for the life of one owner. The application object holds one for the
// whole process; code without an application object (the tests) holds its own.
#pragma once

#include <windows.h>

namespace zarn {

class GdiplusSession {
  public:
    // GdiplusStartup, version 1, no debug callback, background thread and codecs as they come.
    GdiplusSession();
    // GdiplusShutdown, if the start-up succeeded.
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool ok() const { return Token != 0; }

    // Whether any session of this process is up: GDI+ may be used (from any thread) while it is.
    static bool Active();
    // How many sessions this process has started so far.
    static unsigned StartCount();

  private:
    ULONG_PTR Token = 0;
};

} // namespace zarn
