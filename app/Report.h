#pragma once

// Writes one of the game's messages to standard output, printf-style; the
// format ends with the line break, as every message does. All the game's
// messages go through here, so a test that checks them captures standard
// output knowing that nothing else writes there.
void report(const char* format, ...) __attribute__((format(printf, 1, 2)));
