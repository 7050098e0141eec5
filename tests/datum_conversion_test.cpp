#include "position/datum_conversion.h"

#include <gtest/gtest.h>

namespace {

struct DmsCase {
  DmsAngle angle;
  double degrees;
};

TEST(DmsToDegrees, MatchesToTheLastBit) {
  const DmsCase cases[] = {
      {{35, 41, 22}, 35.68944444444445},
      {{139, 45, 12}, 139.75333333333333},
      {{0, 0, 0}, 0.0},
      // Minutes and seconds of 60 or more are not normalised.
      {{35, 60, 0}, 36.0},
      {{0, 0, 90}, 0.025},
  };
  for (const DmsCase& c : cases) {
    EXPECT_EQ(DmsToDegrees(c.angle), c.degrees)
        << c.angle.degrees << " " << c.angle.minutes << " " << c.angle.seconds;
  }
}

TEST(DmsToDegrees, DiffersFromDivisionInTheLastPlace) {
  // The stored factors and the order of the sum are what give ...45; the
  // textbook formula gives ...44.
  const volatile double minutes = 41, seconds = 22;
  const double byDivision = 35 + minutes / 60 + seconds / 3600;
  EXPECT_EQ(byDivision, 35.68944444444444);
  EXPECT_NE(DmsToDegrees({35, 41, 22}), byDivision);
}

TEST(TokyoToWgs84, ShiftsTokyoToTheLastBit) {
  const GeoPosition tokyo = TokyoToWgs84(35.68944444444445, 139.75333333333333);
  EXPECT_EQ(tokyo.latitude, 35.69266981057444);
  EXPECT_EQ(tokyo.longitude, 139.75012472663002);

  const GeoPosition zero = TokyoToWgs84(0, 0);
  EXPECT_EQ(zero.latitude, 0.0046017);
  EXPECT_EQ(zero.longitude, 0.01004);
}

}  // namespace
