#ifndef POSRELAY_POSITION_DATUM_CONVERSION_H
#define POSRELAY_POSITION_DATUM_CONVERSION_H

#include "position/geo_position.h"

// Degrees, minutes and seconds to decimal degrees. The order of operations
// and the stored factors are fixed so that every build gives the same bits.
double DmsToDegrees(const DmsAngle& angle);

// Tokyo datum to WGS84 by the common linear approximation for Japan.
GeoPosition TokyoToWgs84(double latitude, double longitude);

#endif
