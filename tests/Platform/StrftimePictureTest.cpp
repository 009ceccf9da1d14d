#include "Platform/StrftimePicture.h"

#include <gtest/gtest.h>

namespace {

struct PictureCase {
    const char* format;
    const wchar_t* picture;
};

TEST(StrftimePicture, BecomesTheWindowsPicture) {
    for (const PictureCase& c :
         {PictureCase{"%d/%m/%y", L"dd/MM/yyyy"}, PictureCase{"%d.%m.%Y", L"dd.MM.yyyy"},
          PictureCase{"%Y-%m-%d", L"yyyy-MM-dd"}, PictureCase{"%-d.%-m.%Y", L"d.M.yyyy"},
          PictureCase{"%e %B %Y", L"d MMMM yyyy"}, PictureCase{"%a %b %d", L"ddd MMM dd"},
          PictureCase{"%A", L"dddd"}, PictureCase{"%T", L"HH:mm:ss"}, PictureCase{"%H.%M", L"HH.mm"},
          PictureCase{"%I:%M:%S %p", L"hh:mm:ss tt"}, PictureCase{"%l:%M:%S %P %Z", L"h:mm:ss tt"},
          PictureCase{"%r", L"h:mm tt"}, PictureCase{"%Hh%M", L"HH'h'mm"},
          PictureCase{"%Y\xE5\xB9\xB4%m", L"yyyy\u5E74MM"}, PictureCase{"it's %d", L"'it''s 'dd"},
          PictureCase{"%F", L"yyyy-MM-dd"}, PictureCase{"%Ey %OH", L"yyyy HH"},
          PictureCase{"100%%", L"100%"}}) {
        EXPECT_EQ(Platform::PictureFromStrftime(c.format, "%l:%M %p"), c.picture) << c.format;
    }
}

TEST(StrftimePicture, ShortTimeLeavesOutTheSecondsAndTheirSeparator) {
    EXPECT_EQ(Platform::PictureWithoutSeconds(L"HH:mm:ss"), L"HH:mm");
    EXPECT_EQ(Platform::PictureWithoutSeconds(L"h:mm:ss tt"), L"h:mm tt");
    EXPECT_EQ(Platform::PictureWithoutSeconds(L"HH:mm"), L"HH:mm");
}

} // namespace
