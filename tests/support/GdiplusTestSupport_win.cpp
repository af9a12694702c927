// The test program's GDI+ session, held by a GoogleTest environment from the first test to the last.
#include "support/GdiplusTestSupport_win.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/GdiplusSession.h"

namespace zarn::test {
namespace {

std::unique_ptr<GdiplusSession>& Session() {
    static std::unique_ptr<GdiplusSession> session;
    return session;
}

class GdiplusEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { Session() = std::make_unique<GdiplusSession>(); }
    void TearDown() override { Session().reset(); }
};

[[maybe_unused]] ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

} // namespace

WithoutGdiplus::WithoutGdiplus() {
    Session().reset();
}

WithoutGdiplus::~WithoutGdiplus() {
    Session() = std::make_unique<GdiplusSession>();
}

} // namespace zarn::test
