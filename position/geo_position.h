#ifndef POSRELAY_POSITION_GEO_POSITION_H
#define POSRELAY_POSITION_GEO_POSITION_H

// An angle as the module reports it; fractions of a second are not kept.
struct DmsAngle {
  int degrees;
  int minutes;
  int seconds;
};

// Decimal degrees, latitude first. Only the northern and eastern hemispheres
// occur, so both are positive in practice.
struct GeoPosition {
  double latitude;
  double longitude;
};

#endif
