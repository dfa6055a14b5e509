#pragma once

#include <QString>

#include <functional>

class QIODevice;

// Writes a file through a temporary file beside it that is renamed over the old one only once
// write returned true and every byte reached the disk, so that a failed write leaves an old file
// as it was and a reader never sees half a file.
bool writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write);
