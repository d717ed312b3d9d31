// The players' settings document ("ssc0.dat" in a screen saver, "fp.dat"
// in a projector): an XML `windows` element whose attributes carry the
// list's run-time settings and whose `window` element describes the movie
// item, its sub-items nested inside. The writing and reading code lives in
// CDataList::WriteSettingsFile / ReadSettingsFile and the CSwfItem window
// element methods (settings_document.cpp).
//
// Each movie entry carries a check of the movie file: two random words R1
// and R2 (d1, d2), R1 AND the CRC-32 of the movie's first 1024 bytes (d4),
// R2 AND the movie's size (d5), and two random fillers (d3, d6).
#pragma once

#include "platform/mac_types.h"

// How many leading bytes of a movie its check covers.
constexpr u32 kSwfStampBytes = 1024;

// The one random source of the movie checks: words from 0 to 2147483647.
// Seeded from the clock on first use unless a seed was given.
void SeedSettingsRandom(u32 seed);
u32 NextSettingsRandomWord();
