#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The flags of the flag questions, rendered from the SVG files of the flag set in
// content/flaggen/.
namespace flags {

// The flag of svgPath drawn into a picture of the given size, with a fine grey edge so that
// its white parts stand off a white card. A null image when the file cannot be rendered.
QImage renderFlag(const QString& svgPath, QSize size);

} // namespace flags
