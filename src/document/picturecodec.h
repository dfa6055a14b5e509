#pragma once

#include <QtGlobal>

// What the PNG and JPEG readers share: the size of picture they accept and the kinds of failure
// they tell their callers, so that a window can say in German why a picture was refused while
// the readers keep their technical English texts for logs and tests.

// Larger pictures are refused before any pixel memory is allocated: 100 million pixels take
// 400 MB as 32-bit pixels. The limit per side bounds the readers' own row buffers.
inline constexpr qint64 maxPicturePixels = 100'000'000;
inline constexpr quint32 maxPictureSide = 1'000'000;

enum class PictureFault {
    None,
    ReadError, // the device failed while reading
    NotThisFormat, // the bytes do not start like a picture of the reader's format
    Truncated, // the data ends before the picture is complete
    Damaged, // the data is inconsistent or corrupt
    TooLarge, // the picture exceeds the limits above, or the reader's bound on bytes or memory
    Unsupported, // a valid variant of the format the reader does not handle
    NoMemory, // the picture is within the limits, but its memory could not be had
};
