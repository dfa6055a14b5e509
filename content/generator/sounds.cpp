#include "sounds.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace sounds {

namespace {

struct Partial
{
    double ratio; // Frequency as a multiple of the note's fundamental.
    double level;
};

struct Note
{
    double start; // Seconds from the beginning of the sound.
    double length; // Seconds until the release has died away.
    double frequency;
    double attack; // Seconds of the soft rise.
    double decay; // Time constant of the exponential fade, in seconds.
    double release; // Seconds of the final fade to silence.
    std::vector<Partial> partials;
};

// Raised-cosine ramp from 0 to 1 over the given time: no corner, so no click.
double smoothRamp(double t, double length)
{
    if (t <= 0)
        return 0;
    if (t >= length)
        return 1;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * t / length);
}

void addNote(std::vector<double>& buffer, int sampleRate, const Note& note)
{
    const int first = int(note.start * sampleRate);
    const int count = int(note.length * sampleRate);
    for (int i = 0; i < count && first + i < int(buffer.size()); ++i) {
        const double t = double(i) / sampleRate;
        const double envelope
            = smoothRamp(t, note.attack) * std::exp(-t / note.decay) * smoothRamp(note.length - t, note.release);
        double value = 0;
        for (const Partial& partial : note.partials)
            value += partial.level * std::sin(2 * std::numbers::pi * note.frequency * partial.ratio * t);
        buffer[first + i] += envelope * value;
    }
}

// Scales the mix to the given peak and converts it to 16-bit samples.
Wave toWave(const std::vector<double>& buffer, int sampleRate, double peak)
{
    double loudest = 0;
    for (double value : buffer)
        loudest = std::max(loudest, std::abs(value));
    const double scale = loudest > 0 ? peak * 32767.0 / loudest : 0;
    Wave wave;
    wave.sampleRate = sampleRate;
    wave.samples.reserve(qsizetype(buffer.size()));
    for (double value : buffer)
        wave.samples.append(qint16(std::clamp(std::lround(value * scale), -32767L, 32767L)));
    return wave;
}

} // namespace

Wave synthesiseRightChime()
{
    constexpr int rate = 44100;
    constexpr double length = 0.48;
    std::vector<double> buffer(size_t(length * rate), 0.0);
    // Harmonics give the bell its brightness; the slightly stretched fourth partial adds the
    // shimmer of a struck bar.
    const std::vector<Partial> bell {{1.0, 1.0}, {2.0, 0.32}, {3.0, 0.1}, {4.18, 0.05}};
    const double c6 = 1046.50, e6 = 1318.51, g6 = 1567.98;
    addNote(buffer, rate, {0.00, 0.30, c6, 0.006, 0.10, 0.04, bell});
    addNote(buffer, rate, {0.07, 0.30, e6, 0.006, 0.10, 0.04, bell});
    addNote(buffer, rate, {0.14, length - 0.14, g6, 0.006, 0.14, 0.08, bell});
    return toWave(buffer, rate, 0.7);
}

Wave synthesiseWrongBuzz()
{
    constexpr int rate = 44100;
    constexpr double length = 0.5;
    std::vector<double> buffer(size_t(length * rate), 0.0);
    // A sawtooth-like series whose upper partials fall off faster than a real sawtooth's:
    // it buzzes without rasping. A second voice a few cents sharp lets the tone beat gently.
    std::vector<Partial> buzz;
    for (int n = 1; n <= 8; ++n) {
        const double level = std::pow(n, -1.6);
        buzz.push_back({double(n), level});
        buzz.push_back({n * 1.006, level * 0.45});
    }
    const double g3 = 196.00, eFlat3 = 155.56;
    addNote(buffer, rate, {0.00, 0.21, g3, 0.015, 0.35, 0.05, buzz});
    addNote(buffer, rate, {0.20, length - 0.20, eFlat3, 0.015, 0.30, 0.10, buzz});
    return toWave(buffer, rate, 0.45);
}

QByteArray encodeWav(const Wave& wave)
{
    constexpr quint16 pcmFormat = 1;
    constexpr quint16 channels = 1;
    constexpr quint16 bitsPerSample = 16;
    constexpr quint16 blockAlign = channels * bitsPerSample / 8;
    const quint32 dataBytes = quint32(wave.samples.size()) * blockAlign;

    QByteArray file;
    file.reserve(44 + qsizetype(dataBytes));
    const auto put16 = [&file](quint16 value) {
        char bytes[2];
        qToLittleEndian(value, bytes);
        file.append(bytes, 2);
    };
    const auto put32 = [&file](quint32 value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        file.append(bytes, 4);
    };

    file.append("RIFF", 4);
    put32(36 + dataBytes);
    file.append("WAVE", 4);
    file.append("fmt ", 4);
    put32(16);
    put16(pcmFormat);
    put16(channels);
    put32(quint32(wave.sampleRate));
    put32(quint32(wave.sampleRate) * blockAlign);
    put16(blockAlign);
    put16(bitsPerSample);
    file.append("data", 4);
    put32(dataBytes);
    for (qint16 sample : wave.samples)
        put16(quint16(sample));
    return file;
}

} // namespace sounds
