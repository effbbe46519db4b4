// ctest-labels: encodings-files
// Dates in the locale's form, in the C locale and universal time.
#include "platform/core/date_string.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

TEST(DateString, TheStartOf1970InTheCLocale) {
    setenv("TZ", "UTC", 1);
    tzset();
    setlocale(LC_ALL, "C");
    char text[256] = "junk";
    DateString(2082844800u, 0, text);
    EXPECT_STREQ(text, "01/01/70");
    DateString(2082844800u + 86400u * 365, 1, text);
    EXPECT_STREQ(text, "01/01/71");
}

}  // namespace
