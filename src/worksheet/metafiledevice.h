#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <QSizeF>

#include <memory>

class MetafilePaintEngine;

// A paint device that records what a QPainter draws and writes it as a Windows metafile.
// Coordinates are logical units (the device's width() x height(), e.g. 1001 x 1625); the
// physical size (millimetres) sets EMF's frame and WMF's units per inch.
//
// The device keeps everything drawn on it since it was made (several painter sessions add up);
// toBytes() turns that list into either format as often as asked, so one drawing serves both.
// What the files carry: lines, rectangles, polygons and flattened paths with a solid pen and a
// solid or hollow brush (gradients and patterns fall back to a solid colour), text with its
// font, colour and the real advance of every character, and pictures as 24-bit bitmaps
// (transparency is laid onto white). Clipping is not recorded: what the painter clips away
// still appears in the file.
class MetafileDevice : public QPaintDevice
{
public:
    enum class Format { Emf, Wmf };

    MetafileDevice(QSize logicalSize, QSizeF physicalSizeMm);
    ~MetafileDevice() override;

    QPaintEngine* paintEngine() const override;

    // The whole file; empty when nothing could be built (a size that is empty or, for WMF,
    // beyond its 16-bit coordinates, or memory ran out). Call after the painter has ended.
    QByteArray toBytes(Format format) const;

protected:
    // width/height in units, widthMM/heightMM, dpi from units per inch (logical and physical
    // dpi the same), depth 32
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_logicalSize;
    QSizeF m_physicalSizeMm;
    std::unique_ptr<MetafilePaintEngine> m_engine;
};
