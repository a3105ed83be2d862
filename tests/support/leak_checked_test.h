// A fixture that fails the test when it leaves more or fewer BSTRs or
// SAFEARRAYs alive than it found.
#pragma once

#include <gtest/gtest.h>

#include "platform/automation.h"

namespace vardelon::testing {

class LeakCheckedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bstrsBefore_ = AutomationLiveBstrCount();
    arraysBefore_ = AutomationLiveSafeArrayCount();
  }
  void TearDown() override {
    EXPECT_EQ(AutomationLiveBstrCount(), bstrsBefore_) << "BSTRs leaked or freed twice";
    EXPECT_EQ(AutomationLiveSafeArrayCount(), arraysBefore_) << "SAFEARRAYs leaked or freed twice";
  }

  LONG newBstrs() const { return AutomationLiveBstrCount() - bstrsBefore_; }
  LONG newArrays() const { return AutomationLiveSafeArrayCount() - arraysBefore_; }

 private:
  LONG bstrsBefore_ = 0;
  LONG arraysBefore_ = 0;
};

}  // namespace vardelon::testing
