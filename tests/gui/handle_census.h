// A count of what the process holds of the window system's resources, taken
// before and after every GUI test: a test that leaves a GDI object or a
// window behind fails and says what it left.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

struct HandleCensus {
    std::map<DWORD, int> gdiObjects;  // by kind (OBJ_BITMAP, OBJ_FONT, ...)
    std::set<HWND> windows;           // top-level and child windows of the process
};

HandleCensus takeHandleCensus();
// What `after` holds beyond `before`, one line each; empty when nothing.
std::string describeLeaks(const HandleCensus& before, const HandleCensus& after);

// Fails every test that ends holding more GDI objects or windows than it
// started with. Wine and the common controls keep caches that grow on the
// first use of a control or a drawing (device contexts with their regions,
// theme bitmaps, brushes of the system colours), so the first pass over the
// tests only fills them and the check starts with the second
// (--gtest_repeat=2).
class HandleLeakCheck : public testing::EmptyTestEventListener {
public:
    void OnTestIterationStart(const testing::UnitTest& tests, int iteration) override;
    void OnTestStart(const testing::TestInfo& test) override;
    void OnTestEnd(const testing::TestInfo& test) override;

private:
    bool checking_ = false;
    HandleCensus before_;
};
