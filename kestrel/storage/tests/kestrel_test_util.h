#pragma once
// Checks shared by the storage tests.

#include <gtest/gtest.h>

#include <string>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel::test {

// The action raises EKestrelException with this text and native code.
template <typename F>
void ExpectKestrelError(F&& action, const std::string& text, int code) {
  try {
    action();
    ADD_FAILURE() << "no error, expected: " << text;
  } catch (const EKestrelException& e) {
    EXPECT_EQ(e.Text(), text);
    EXPECT_EQ(e.NativeError(), code);
  }
}

}  // namespace kestrel::test
