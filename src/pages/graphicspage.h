// The Graphics page's two previews and the pixel operation behind the
// brightness and contrast one.
#pragma once

#include "platform/win32.h"
#include "src/records/records.h"

// The rendering picture of the record's dithering mode and the Effect level
// that belongs to it, loaded anew; the caller deletes it. Null when it
// cannot be loaded or the mode is none of the three.
HBITMAP GetDitherBitmap(const REGSTRUCT &record);

// The 24-bit sample photograph with the brightness (-5..5) and contrast (in
// tenths, 5..15) applied, turned grey; the caller deletes it. Null when it
// cannot be loaded or computed.
HBITMAP GetEffectBitmap(LONG brightness, LONG contrast);

// 24 bits per pixel, rows `stride` bytes apart in both buffers. Every
// channel value v becomes mean + offset + (v - mean) x factor, clamped to
// 0..255 and truncated, where mean is the channel's integer mean over all
// width x height pixels. Only the pixel bytes of the destination are
// written. A width or height of 0 or less, or a stride too short for the
// width, does nothing.
void AdjustBrightnessContrast(const BYTE *pSource, BYTE *pDest, LONG width, LONG height, LONG stride, double offset,
                              double factor);
