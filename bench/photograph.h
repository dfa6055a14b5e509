#pragma once

#include <QImage>

#include <cmath>
#include <vector>

// A deterministic stand-in for a photograph: smooth colour gradients and soft blotches with
// sensor-like noise on top, so that PNG compresses it and scaling it costs about what a real
// photo does.
inline QImage photograph(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    quint32 seed = 12345;
    auto noise = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return int(seed >> 28) - 8; // -8 .. 7
    };
    std::vector<double> waveX(static_cast<size_t>(width));
    std::vector<double> waveY(static_cast<size_t>(height));
    for (int x = 0; x < width; ++x)
        waveX[size_t(x)] = std::sin(x / 310.0) + 0.5 * std::sin(x / 97.0);
    for (int y = 0; y < height; ++y)
        waveY[size_t(y)] = std::cos(y / 270.0) + 0.5 * std::sin(y / 123.0);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double blotch = 40 * waveX[size_t(x)] * waveY[size_t(y)];
            const int r = int(60 + 140.0 * x / width + blotch) + noise();
            const int g = int(90 + 100.0 * y / height - blotch) + noise();
            const int b = int(120 + 60.0 * (x + y) / (width + height) + 0.5 * blotch) + noise();
            line[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    return image;
}
