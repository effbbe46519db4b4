// Rectangle checks for tests: all four sides compared at once, the whole rectangle printed when
// one differs.
#pragma once

#include <gtest/gtest.h>

#include "platform/core/mac_types.h"

inline ::testing::AssertionResult RectIs(const Rect &r, SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
    if (r.top == top && r.left == left && r.bottom == bottom && r.right == right)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << r.top << "," << r.left << "," << r.bottom << "," << r.right
                                         << ") instead of (" << top << "," << left << "," << bottom << "," << right
                                         << ")";
}
