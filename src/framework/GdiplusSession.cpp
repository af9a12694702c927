// GdiplusSession: one GdiplusStartup/GdiplusShutdown pair, counted process-wide.
#include "framework/GdiplusSession.h"

#include <objidl.h>
#include <gdiplus.h>

#include <atomic>

namespace zarn {
namespace {
std::atomic<int> ActiveSessions{0};
std::atomic<unsigned> Starts{0};
} // namespace

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input; // version 1
    ULONG_PTR token = 0;
    ++Starts;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok || token == 0)
        return;
    Token = token;
    ++ActiveSessions;
}

GdiplusSession::~GdiplusSession() {
    if (!Token)
        return;
    --ActiveSessions;
    Gdiplus::GdiplusShutdown(Token);
}

bool GdiplusSession::Active() {
    return ActiveSessions.load() > 0;
}

unsigned GdiplusSession::StartCount() {
    return Starts.load();
}

} // namespace zarn
