#pragma once
// Test helpers for engine errors: the text and native code an action
// raises.

#include <gtest/gtest.h>

#include <string>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel::test_support {

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

// The native code an action raises, 0 when it raises nothing.
template <typename F>
int KestrelErrorCode(F&& action) {
  try {
    action();
  } catch (const EKestrelException& e) {
    return e.NativeError();
  }
  return 0;
}

}  // namespace kestrel::test_support
