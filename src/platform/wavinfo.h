#pragma once

#include <QString>

#include <optional>

class QIODevice;

// The playing time of a wave file in milliseconds (rounded up), read from its RIFF header: the
// "fmt " chunk gives the frame size and rate, the "data" chunk the number of frames. Chunks may
// come in any order and with odd sizes. A data chunk that claims more bytes than the file holds
// counts only the bytes present, since that is all a player can play.
// nullopt when the device holds no wave of integer or floating-point PCM samples (wrong magic,
// truncated header, missing chunk, compressed format, zero rate or frame size).
// Reads from the device's current position; the device must be open for reading.
std::optional<int> wavDurationMs(QIODevice& device);

// The same for a file; nullopt also when the file cannot be opened.
std::optional<int> wavDurationMs(const QString& path);
