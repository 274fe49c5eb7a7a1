#pragma once
// What brevanta-ofx-reader writes on its standard output for the program,
// one record a line, fields split by single spaces:
//
//   BREVANTA-OFX 1
//   T <amount valid 0|1> <amount> <check number> <name> <memo>     (a transaction)
//   S <balance valid 0|1> <balance> <date valid 0|1> <date, seconds since 1970>
//   E <code> <code name> <server message>                        (the bank's error)
//   FAIL                                                         (libofx refused the file)
//   END <number of T lines>
//
// Amounts are written "%.17g". A text field is its bytes as libofx gave
// them, with "%", "-", bytes up to the space and DEL written "%XX"; an
// empty field is a lone "-". The program trusts none of it: it checks every
// line, count and length, and the amounts against its own reading.

#include <cstddef>

namespace brevanta::statements::ofxprotocol {

inline constexpr char kFirstLine[] = "BREVANTA-OFX 1";
// No line is longer: a transaction's fields are at most 13, 97 and 391
// bytes, each byte at most "%XX"; an error's two at most 200 each.
inline constexpr std::size_t kLongestLine = 2048;
// No text field gives more bytes.
inline constexpr std::size_t kLongestField = 1024;

}  // namespace brevanta::statements::ofxprotocol
