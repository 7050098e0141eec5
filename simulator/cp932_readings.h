#ifndef POSRELAY_SIMULATOR_CP932_READINGS_H
#define POSRELAY_SIMULATOR_CP932_READINGS_H

#include <string>

// Every byte, and every pair of a lead byte (0x81-0x9F, 0xE0-0xFC) and a
// trail byte (0x40-0x7E, 0x80-0xFC), as the simulated handset reads it in
// code page 932 and writes what it read back, one line each in hex:
// "8740 2460 8740", units of a reading of more than one character joined by
// "+". cp932_table.py --readings prints the same from Python's codec.
std::string ListCp932Readings();

#endif
