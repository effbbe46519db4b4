// A test fixture for the Extended TextEdit: a white FreeMono 10 port (400 x 300 unless the test
// asks for another size) in Unicode mode, current during the test and closed at its end.
#pragma once

#include <gtest/gtest.h>

#include "graphics/quickdraw/ports.h"
#include "platform/core/unicode_mode.h"
#include "support/graphics/textedit_support.h"

class ExtendedPortTest : public ::testing::Test {
protected:
    explicit ExtendedPortTest(SInt16 width = 400, SInt16 height = 300) : width_(width), height_(height) {}
    GrafPort port;
    void SetUp() override {
        OpenTextEditPort(&port, width_, height_);
        SetUnicodeApplication(kTrue);
    }
    void TearDown() override { ClosePort(&port); }

private:
    SInt16 width_, height_;
};
