#pragma once

#include <QByteArray>
#include <QList>

// The two feedback sounds of the quiz, synthesised from sine partials so that they are the
// same on every build.
namespace sounds {

struct Wave
{
    int sampleRate = 44100;
    QList<qint16> samples; // Mono.
};

// "Richtig": a bright chime of three notes rising over a major triad.
Wave synthesiseRightChime();

// "Falsch": a soft, low buzz of two notes falling a major third.
Wave synthesiseWrongBuzz();

// A complete RIFF/WAVE file: PCM, 16 bits, mono, little-endian.
QByteArray encodeWav(const Wave& wave);

} // namespace sounds
