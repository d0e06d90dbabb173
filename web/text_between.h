#pragma once

#include "text/text.h"

namespace qingwu {

// Position (from 1) of the first occurrence of sought at or after start, or -1. Candidates
// advance by characters: a byte of 0x80 or above begins a two-byte character, so a match never
// starts on a second byte. An empty sought text is found at 1 when a byte lies at or after start.
// ignoreCase folds ASCII letters only.
int Find(TextView text, TextView sought, int start, bool ignoreCase = false);

// count bytes from position start (from 1), fewer when the text ends first; empty when start is
// outside the text or count <= 0.
Text Mid(TextView text, int start, int count);

// The text between the first startMarker and the first endMarker after it; the empty text when
// either marker is missing (an empty start marker cuts from the beginning; an empty end marker
// always gives the empty text).
Text TextBetween(TextView text, TextView startMarker, TextView endMarker);

}  // namespace qingwu
