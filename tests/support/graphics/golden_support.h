// Comparing a picture a test made with its reviewed golden image.
#pragma once

#include <gtest/gtest.h>

#include <string>

// Compares two PNG files pixel by pixel (the spare byte of RGB24 ignored). They match when at
// most share of the pixels differ (0: none); otherwise a difference image (red where they
// differ) is written to diff.
::testing::AssertionResult SameImage(const std::string &actual, const std::string &golden, const std::string &diff,
                                     double share = 0);
