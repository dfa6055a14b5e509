// Topic files, measured side by side with what they cannot beat:
// - reading a topic with a photograph of 4000 x 3000 pixels and 300 objects from memory, against
//   libpng alone decoding the same PNG bytes into a buffer allocated beforehand;
// - peeking 1000 topic files of 1 MiB each, as the topic menu does, against reading the first
//   512 bytes of each file.
// bench/document.sh runs them and prints the two ratios.

#include "document/topicdocument.h"
#include "document/zepformat.h"
#include "photograph.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void fixtureFailed(const char* what)
{
    std::fprintf(stderr, "bench_document: %s\n", what);
    std::exit(1);
}

struct PhotoTopic
{
    QByteArray topic; // the whole topic file
    QByteArray png; // its picture's PNG datastream
    int width = 0;
    int height = 0;
};

const PhotoTopic& photoTopic()
{
    static const PhotoTopic fixture = [] {
        TopicDocument doc;
        doc.titel = QStringLiteral("Ein Foto mit 300 Beschriftungen");
        doc.picture = photograph(4000, 3000);
        for (int i = 0; i < 300; ++i) {
            DocObject object;
            object.Sx = (i % 20) / 20.0;
            object.Sy = (i / 20) / 15.0;
            object.Kx = object.Sx + 0.02;
            object.Ky = object.Sy + 0.01;
            object.Cap = QStringLiteral("Beschriftung Nr. %1, \"mit Zusatz\"\r\nzweite Zeile").arg(i + 1);
            object.Typ = i % 3 == 0 ? ObjectKind::InfoPoint : ObjectKind::Label;
            object.Sline = 1;
            doc.objects.append(object);
        }
        PhotoTopic made;
        QBuffer buffer(&made.topic);
        buffer.open(QIODevice::WriteOnly);
        if (!writeTopicFile(buffer, doc))
            fixtureFailed("cannot write the photograph topic");
        // Captions are plain ASCII, so the first PNG signature is the picture's.
        const qsizetype start = made.topic.indexOf("\x89PNG\r\n\x1a\n");
        if (start < 0)
            fixtureFailed("no PNG in the topic file");
        made.png = made.topic.mid(start);
        made.width = doc.picture.width();
        made.height = doc.picture.height();
        return made;
    }();
    return fixture;
}

void BM_ReadTopicFile(benchmark::State& state)
{
    const PhotoTopic& fixture = photoTopic();
    for (auto _ : state) {
        QBuffer buffer;
        buffer.setData(fixture.topic);
        buffer.open(QIODevice::ReadOnly);
        TopicDocument doc;
        if (readTopicFile(buffer, doc) != ZepReadStatus::Ok || doc.objects.size() != 300)
            fixtureFailed("the photograph topic does not read back");
        benchmark::DoNotOptimize(doc.picture.constBits());
    }
    state.SetBytesProcessed(state.iterations() * fixture.topic.size());
}

struct MemorySource
{
    const QByteArray* bytes;
    qsizetype offset;
};

void readFromMemory(png_structp png, png_bytep data, size_t length)
{
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (qsizetype(length) > source->bytes->size() - source->offset)
        png_error(png, "unexpected end of data");
    std::memcpy(data, source->bytes->constData() + source->offset, length);
    source->offset += qsizetype(length);
}

// libpng on its own: the same datastream into the same 32-bit layout (blue, green, red, alpha
// in memory), into pixels that already exist. Returns false when libpng gives up.
bool decodeWithLibpng(const QByteArray& png, std::vector<png_bytep>& rows)
{
    MemorySource source {&png, 0};
    png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(reader);
    if (setjmp(png_jmpbuf(reader))) {
        png_destroy_read_struct(&reader, &info, nullptr);
        return false;
    }
    png_set_read_fn(reader, &source, readFromMemory);
    png_read_info(reader, info);
    if (png_get_image_height(reader, info) != rows.size())
        png_error(reader, "unexpected picture size");
    png_set_bgr(reader);
    png_set_filler(reader, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(reader, info);
    png_read_image(reader, rows.data());
    png_read_end(reader, nullptr);
    png_destroy_read_struct(&reader, &info, nullptr);
    return true;
}

void BM_LibpngDecode(benchmark::State& state)
{
    const PhotoTopic& fixture = photoTopic();
    std::vector<png_byte> pixels(size_t(fixture.width) * size_t(fixture.height) * 4, 0);
    std::vector<png_bytep> rows(size_t(fixture.height));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = pixels.data() + y * size_t(fixture.width) * 4;
    for (auto _ : state) {
        if (!decodeWithLibpng(fixture.png, rows))
            fixtureFailed("libpng cannot decode the photograph");
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * fixture.png.size());
}

// 1000 topic files of 1 MiB each in a temporary folder, made once per run. Their bulk is a long
// remark after the title, which the topic menu never reads.
const QStringList& topicFolder()
{
    static QTemporaryDir folder;
    static const QStringList paths = [] {
        if (!folder.isValid())
            fixtureFailed("no temporary folder");
        QString remark;
        quint32 seed = 7;
        const QString words[] = {QStringLiteral("Vorhof "), QStringLiteral("Kammer "), QStringLiteral("Klappe "),
            QStringLiteral("Aorta "), QStringLiteral("Vene "), QStringLiteral("Lunge\r\n")};
        while (remark.size() < 1024 * 1024) {
            seed = seed * 1664525u + 1013904223u;
            remark += words[(seed >> 16) % 6];
        }
        remark.truncate(1024 * 1024 - 300);
        TopicDocument doc;
        doc.bemerkung = remark;
        doc.picture = QImage(2, 2, QImage::Format_ARGB32);
        doc.picture.fill(Qt::white);
        QStringList made;
        for (int i = 0; i < 1000; ++i) {
            doc.titel = QStringLiteral("Thema %1: Herz und Kreislauf").arg(i + 1, 4, 10, QLatin1Char('0'));
            const QString path
                = QDir(folder.path()).filePath(QStringLiteral("thema%1.zep").arg(i, 4, 10, QLatin1Char('0')));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || !writeTopicFile(file, doc) || !file.flush())
                fixtureFailed("cannot write the topic folder");
            made.append(path);
        }
        return made;
    }();
    return paths;
}

void BM_PeekTopicFiles(benchmark::State& state)
{
    const QStringList& paths = topicFolder();
    for (auto _ : state) {
        for (const QString& path : paths) {
            QFile file(path);
            ZepPeek peek;
            if (!file.open(QIODevice::ReadOnly) || !peekTopicFile(file, peek))
                fixtureFailed("a topic of the folder does not peek");
            benchmark::DoNotOptimize(peek.titel.constData());
        }
    }
    state.SetItemsProcessed(state.iterations() * paths.size());
}

void BM_ReadFirst512Bytes(benchmark::State& state)
{
    const QStringList& paths = topicFolder();
    for (auto _ : state) {
        for (const QString& path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                fixtureFailed("a topic of the folder does not open");
            const QByteArray start = file.read(512);
            if (start.size() != 512)
                fixtureFailed("a topic of the folder is too short");
            benchmark::DoNotOptimize(start.constData());
        }
    }
    state.SetItemsProcessed(state.iterations() * paths.size());
}

} // namespace

BENCHMARK(BM_ReadTopicFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibpngDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PeekTopicFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFirst512Bytes)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
