// GDI+ for the Windows-side tests: the test program holds one session for its whole run, as the
// application object does for the program; a test can take it down for a while.
#pragma once

namespace zarn::test {

// Shuts the test program's GDI+ session down for its own lifetime and starts a new one afterwards.
class WithoutGdiplus {
  public:
    WithoutGdiplus();
    ~WithoutGdiplus();
    WithoutGdiplus(const WithoutGdiplus&) = delete;
    WithoutGdiplus& operator=(const WithoutGdiplus&) = delete;
};

} // namespace zarn::test
