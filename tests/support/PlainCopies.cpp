#include <gtest/gtest.h>

#include "safetynet/SafetyNetSetting.h"

namespace kestrel::test {
namespace {

// Every test of a programme that drives the main window starts with the
// safety net off, so its copies follow the plain road unless the test
// switches the net on. Runs before the test's fixture is made.
class PlainCopies : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { SetSafetyNetSetting(false); }
};

const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new PlainCopies);
    return true;
}();

}  // namespace
}  // namespace kestrel::test
