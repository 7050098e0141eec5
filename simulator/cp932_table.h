#ifndef POSRELAY_SIMULATOR_CP932_TABLE_H
#define POSRELAY_SIMULATOR_CP932_TABLE_H

// Code page 932 as Windows reads and writes it, written into the build tree
// by cp932_table.py from Python's cp932 codec. A reading of 0 is no
// character.

// Bytes 0x40 to 0xFC may end a pair; a pair read from the table is one
// character or none.
const unsigned int kCp932FirstTrail = 0x40;
const unsigned int kCp932TrailCount = 0xFC - 0x40 + 1;

// What each byte from 0x80 up reads as alone: 0 for a lead byte.
extern const unsigned short kCp932HighBytes[128];
// Each byte's row of kCp932Pairs from 0x80 up: -1 for a byte that is no lead byte.
extern const signed char kCp932LeadRows[128];
extern const unsigned short kCp932Pairs[][kCp932TrailCount];
extern const unsigned int kCp932LeadCount;

// A character and its bytes, a pair as lead byte * 256 + trail byte.
struct Cp932Code {
  unsigned short character;
  unsigned short bytes;
};
// The codes Windows writes where reading the tables backwards, keeping the
// first code in byte order, would give another or none.
extern const Cp932Code kCp932PreferredCodes[];
extern const unsigned int kCp932PreferredCodeCount;

#endif
