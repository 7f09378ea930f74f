#pragma once
// A fixture whose tests share one Receiver (destroying windows takes Wine a while), with the
// receiving window in front and emptied before each test.

#include <gtest/gtest.h>

#include "receiver_window.h"
#include "settings/settings.h"

namespace keysender_test {

class ReceiverTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { receiver_ = new Receiver; }
  static void TearDownTestSuite() {
    delete receiver_;
    receiver_ = nullptr;
  }

  // Starts from fresh settings with the target in front and nothing received.
  void SetUp() override {
    tavion::ResetSettings();
    ASSERT_TRUE(receiver_->Activate(receiver_->target()));
    receiver_->Clear();
  }

  static inline Receiver* receiver_ = nullptr;
};

}  // namespace keysender_test
