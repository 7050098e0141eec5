#include "position/datum_conversion.h"

namespace {

// Multiplying by these stored factors, rather than dividing, is part of the
// result: division gives a value one unit lower in the last place.
const double kSecondsFactor = 0.0002777777777777778;
const double kMinutesFactor = 0.016666666666666666;

const double kLatitudeFromLatitude = 0.00010695;     // a
const double kLatitudeFromLongitude = 0.000017464;   // b
const double kLatitudeOffset = 0.0046017;            // c
const double kLongitudeFromLatitude = 0.000046038;   // d
const double kLongitudeFromLongitude = 0.000083043;  // e
const double kLongitudeOffset = 0.01004;             // f

}  // namespace

double DmsToDegrees(const DmsAngle& angle) {
  const double seconds = static_cast<double>(angle.seconds) * kSecondsFactor;
  const double minutes = static_cast<double>(angle.minutes) * kMinutesFactor;
  return (seconds + minutes) + static_cast<double>(angle.degrees);
}

GeoPosition TokyoToWgs84(double latitude, double longitude) {
  GeoPosition wgs84;
  wgs84.latitude =
      ((latitude - latitude * kLatitudeFromLatitude) + longitude * kLatitudeFromLongitude) +
      kLatitudeOffset;
  wgs84.longitude =
      ((longitude - latitude * kLongitudeFromLatitude) - longitude * kLongitudeFromLongitude) +
      kLongitudeOffset;
  return wgs84;
}
