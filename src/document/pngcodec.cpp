#include "document/pngcodec.h"

#include <QIODevice>
#include <QImage>
#include <QSysInfo>

#include <png.h>
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

#include <csetjmp>
#include <cstring>
#include <utility>

// libpng reports every failure by longjmp back to the last setjmp. Jumping over a C++ frame is
// only harmless when no object in it has a destructor, so the code is split in two layers:
// readPng and writePng own the C++ objects (the libpng structures through a guard, the picture,
// texts), and the small functions below hold nothing but plain pointers and numbers. Each of
// them sets its own jump target and returns false when libpng gives up, leaving the clean-up to
// the caller.

namespace {

// The most libpng may allocate for the data of one chunk. The chunks it keeps (palette, tRNS)
// are far smaller, and skipped ones are read through in small pieces, so this only stands
// guard should a libpng change start reading more of them.
constexpr png_alloc_size_t maxChunkBytes = png_alloc_size_t(16) * 1024 * 1024;

// How long a sequential device (a pipe, a socket) may take to deliver bytes it has not yet got.
// Files and buffers report their end at once.
constexpr int readWaitMs = 30000;

constexpr bool littleEndian = QSysInfo::ByteOrder == QSysInfo::LittleEndian;

// Shared by libpng's callbacks: the device, libpng's error message and what the callbacks saw
// of the failure, which tells its kind. Plain data only.
struct CodecContext
{
    QIODevice* device = nullptr;
    char message[160] = {};
    qint64 bytesRead = 0;
    bool endOfData = false;
    bool deviceFailed = false;
    bool overSizeLimit = false;
};

[[noreturn]] void onPngError(png_structp png, png_const_charp message)
{
    auto* context = static_cast<CodecContext*>(png_get_error_ptr(png));
    qstrncpy(context->message, message ? message : "libpng error", sizeof context->message);
    png_longjmp(png, 1);
}

// Warnings are the faults libpng can read past (a bad CRC in a skipped chunk, surplus image
// data); the picture is still whole, and there is no log to put them in. One of them matters:
// a side beyond the user limit is warned about just before libpng gives up on the header with a
// general "Invalid IHDR data", and it makes that failure a refused size rather than damage.
void onPngWarning(png_structp png, png_const_charp message)
{
    if (message && std::strstr(message, "exceeds user limit")) {
        auto* context = static_cast<CodecContext*>(png_get_error_ptr(png));
        context->overSizeLimit = true;
    }
}

enum class Fill { Done, End, Failed };

Fill fillFromDevice(QIODevice& device, char* data, qint64 length)
{
    while (length > 0) {
        const qint64 got = device.read(data, length);
        if (got < 0)
            return Fill::Failed;
        if (got == 0 && !device.waitForReadyRead(readWaitMs))
            return Fill::End;
        data += got;
        length -= got;
    }
    return Fill::Done;
}

// libpng asks for exactly the bytes it is about to parse (a signature, a chunk header, a piece of
// chunk data, a CRC) and never beyond the IEND chunk, so reading no more than asked leaves the
// device right behind the datastream.
void readFromDevice(png_structp png, png_bytep data, size_t length)
{
    auto* context = static_cast<CodecContext*>(png_get_io_ptr(png));
    switch (fillFromDevice(*context->device, reinterpret_cast<char*>(data), qint64(length))) {
    case Fill::Done:
        context->bytesRead += qint64(length);
        return;
    case Fill::End:
        context->endOfData = true;
        png_error(png, "unexpected end of data");
    case Fill::Failed:
        context->deviceFailed = true;
        png_error(png, "the device could not be read");
    }
}

void writeToDevice(png_structp png, png_bytep data, size_t length)
{
    auto* context = static_cast<CodecContext*>(png_get_io_ptr(png));
    if (context->device->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length))
        png_error(png, "the device took less than was written");
}

// Without a flush function of its own libpng would call fflush() on our context. Callers flush
// or commit their device themselves.
void flushDevice(png_structp) { }

struct PngHeader
{
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    bool hasTrns = false;
};

// Sets the limits and reads the signature and every chunk up to the first IDAT. Nothing of the
// size of the picture is allocated yet.
bool pngReadHeader(png_structp png, png_infop info, CodecContext* context, PngHeader* header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, context, readFromDevice);
    png_set_user_limits(png, maxPngSide, maxPngSide);
    png_set_chunk_malloc_max(png, maxChunkBytes);
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_WARN_DISCARD);
    // Every ancillary chunk except tRNS is skipped unread: the picture is shown with its stored
    // values, and texts or profiles would only cost time and memory. Unknown chunks (an animated
    // PNG's frames among them) are skipped the same way.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);
    int interlace = 0;
    png_get_IHDR(png, info, &header->width, &header->height, &header->bitDepth, &header->colorType, &interlace, nullptr,
        nullptr);
    header->hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    return true;
}

// Lets libpng turn every colour type and depth into the memory layout of QImage::Format_ARGB32:
// one 32-bit 0xAARRGGBB word per pixel in the machine's byte order.
bool pngSetArgb32Transforms(png_structp png, png_infop info, const PngHeader* header, int* passes, size_t* rowBytes,
    int* channels, int* bitDepth)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    if (header->colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (header->colorType == PNG_COLOR_TYPE_GRAY && header->bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (header->hasTrns)
        png_set_tRNS_to_alpha(png);
    if (header->bitDepth == 16)
        png_set_scale_16(png);
    if ((header->colorType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(png);
    const bool hasAlpha = (header->colorType & PNG_COLOR_MASK_ALPHA) != 0 || header->hasTrns;
    if constexpr (littleEndian) {
        png_set_bgr(png);
        if (!hasAlpha)
            png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    } else {
        if (hasAlpha)
            png_set_swap_alpha(png);
        else
            png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
    }
    *passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *rowBytes = png_get_rowbytes(png, info);
    *channels = png_get_channels(png, info);
    *bitDepth = png_get_bit_depth(png, info);
    return true;
}

void readRows(png_structp png, uchar* bits, qsizetype bytesPerLine, png_uint_32 height, int passes)
{
    // An interlaced picture comes in seven passes over the same rows; libpng merges each pass
    // into the pixels already there.
    for (int pass = 0; pass < passes; ++pass) {
        uchar* row = bits;
        for (png_uint_32 y = 0; y < height; ++y, row += bytesPerLine)
            png_read_row(png, row, nullptr);
    }
}

// Reads the image data into the rows and the chunks after it up to IEND, whose CRC tells that
// the stream is complete.
bool pngReadPixels(png_structp png, png_infop info, uchar* bits, qsizetype bytesPerLine, png_uint_32 height, int passes)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    readRows(png, bits, bytesPerLine, height, passes);
    png_read_end(png, info);
    return true;
}

struct PngSource
{
    const uchar* bits = nullptr;
    qsizetype bytesPerLine = 0;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool opaque = false;
    int compressionLevel = 5;
};

void writeRows(png_structp png, const PngSource* source)
{
    const uchar* row = source->bits;
    for (png_uint_32 y = 0; y < source->height; ++y, row += source->bytesPerLine)
        png_write_row(png, row);
}

bool pngWriteImage(png_structp png, png_infop info, CodecContext* context, const PngSource* source)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, context, writeToDevice, flushDevice);
    png_set_compression_level(png, source->compressionLevel);
    png_set_IHDR(png, info, source->width, source->height, 8,
        source->opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // The rows are 32-bit ARGB words; libpng reorders them to R, G, B(, A) and drops the alpha
    // byte of an opaque picture.
    if constexpr (littleEndian) {
        png_set_bgr(png);
        if (source->opaque)
            png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else {
        if (source->opaque)
            png_set_filler(png, 0, PNG_FILLER_BEFORE);
        else
            png_set_swap_alpha(png);
    }
    writeRows(png, source);
    png_write_end(png, info);
    return true;
}

class PngReadGuard
{
public:
    explicit PngReadGuard(CodecContext* context)
        : png(png_create_read_struct(PNG_LIBPNG_VER_STRING, context, onPngError, onPngWarning))
        , info(png ? png_create_info_struct(png) : nullptr)
    { }
    ~PngReadGuard() { png_destroy_read_struct(&png, &info, nullptr); }
    PngReadGuard(const PngReadGuard&) = delete;
    PngReadGuard& operator=(const PngReadGuard&) = delete;

    png_structp png;
    png_infop info;
};

class PngWriteGuard
{
public:
    explicit PngWriteGuard(CodecContext* context)
        : png(png_create_write_struct(PNG_LIBPNG_VER_STRING, context, onPngError, onPngWarning))
        , info(png ? png_create_info_struct(png) : nullptr)
    { }
    ~PngWriteGuard() { png_destroy_write_struct(&png, &info); }
    PngWriteGuard(const PngWriteGuard&) = delete;
    PngWriteGuard& operator=(const PngWriteGuard&) = delete;

    png_structp png;
    png_infop info;
};

bool fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

bool fail(QString* error, PictureFault* fault, PictureFault kind, const QString& reason)
{
    if (fault)
        *fault = kind;
    return fail(error, reason);
}

bool failWithLibpng(QString* error, PictureFault* fault, const CodecContext& context)
{
    // libpng checks the 8-byte signature before it asks for anything else, so a failure with
    // exactly those bytes read is a stream that is no PNG at all.
    constexpr qint64 signatureBytes = 8;
    PictureFault kind = PictureFault::Damaged;
    if (context.deviceFailed)
        kind = PictureFault::ReadError;
    else if (context.endOfData)
        kind = PictureFault::Truncated;
    else if (context.overSizeLimit)
        kind = PictureFault::TooLarge;
    else if (context.bytesRead == signatureBytes)
        kind = PictureFault::NotThisFormat;
    return fail(error, fault, kind, QStringLiteral("PNG: %1").arg(QLatin1String(context.message)));
}

bool isOpaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* pixel = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (const QRgb* end = pixel + image.width(); pixel != end; ++pixel) {
            if (qAlpha(*pixel) != 255)
                return false;
        }
    }
    return true;
}

QString sizeRefused(qint64 width, qint64 height)
{
    return QStringLiteral("PNG: a picture of %1 x %2 pixels is refused (at most %3 pixels, %4 per side)")
        .arg(width)
        .arg(height)
        .arg(maxPngPixels)
        .arg(maxPngSide);
}

// A big photograph's pixels take tens of megabytes, and touching fresh memory page by page
// costs as much as a good part of the decoding. Such pictures get memory of their own, marked
// for the kernel's large pages where it offers them; small ones come from the ordinary heap.
constexpr qsizetype largePictureBytes = qsizetype(8) * 1024 * 1024;

#ifdef Q_OS_LINUX
void releaseMappedPicture(void* info)
{
    auto* mapping = static_cast<std::pair<void*, size_t>*>(info);
    munmap(mapping->first, mapping->second);
    delete mapping;
}

#endif

QImage allocatePicture(int width, int height)
{
#ifdef Q_OS_LINUX
    const qsizetype bytesPerLine = qsizetype(width) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(height);
    if (qsizetype(bytes) >= largePictureBytes) {
        void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory != MAP_FAILED) {
#ifdef MADV_HUGEPAGE
            madvise(memory, bytes, MADV_HUGEPAGE);
#endif
            auto* mapping = new std::pair<void*, size_t>(memory, bytes);
            QImage image(static_cast<uchar*>(memory), width, height, bytesPerLine, QImage::Format_ARGB32,
                releaseMappedPicture, mapping);
            if (!image.isNull())
                return image;
            releaseMappedPicture(mapping);
        }
    }
#endif
    return QImage(width, height, QImage::Format_ARGB32);
}

bool withinLimits(qint64 width, qint64 height)
{
    return width <= maxPngSide && height <= maxPngSide && width * height <= maxPngPixels;
}

} // namespace

bool readPng(QIODevice& device, QImage& image, QString* error, PictureFault* fault)
{
    image = QImage();
    CodecContext context;
    context.device = &device;
    PngReadGuard guard(&context);
    if (!guard.png || !guard.info)
        return fail(error, fault, PictureFault::NoMemory, QStringLiteral("PNG: libpng could not be set up"));

    PngHeader header;
    if (!pngReadHeader(guard.png, guard.info, &context, &header))
        return failWithLibpng(error, fault, context);
    if (header.width == 0 || header.height == 0)
        return fail(error, fault, PictureFault::Damaged, sizeRefused(header.width, header.height));
    if (!withinLimits(header.width, header.height))
        return fail(error, fault, PictureFault::TooLarge, sizeRefused(header.width, header.height));

    int passes = 1;
    size_t rowBytes = 0;
    int channels = 0;
    int bitDepth = 0;
    if (!pngSetArgb32Transforms(guard.png, guard.info, &header, &passes, &rowBytes, &channels, &bitDepth))
        return failWithLibpng(error, fault, context);
    // The rows go straight into the picture, so they must be exactly as long as its lines.
    if (channels != 4 || bitDepth != 8 || rowBytes != size_t(header.width) * 4)
        return fail(
            error, fault, PictureFault::Unsupported, QStringLiteral("PNG: unexpected row layout after conversion"));

    QImage decoded = allocatePicture(int(header.width), int(header.height));
    if (decoded.isNull())
        return fail(error, fault, PictureFault::NoMemory,
            QStringLiteral("PNG: no memory for a picture of %1 x %2 pixels").arg(header.width).arg(header.height));
    if (!pngReadPixels(guard.png, guard.info, decoded.bits(), decoded.bytesPerLine(), header.height, passes))
        return failWithLibpng(error, fault, context);
    image = std::move(decoded);
    return true;
}

bool writePng(QIODevice& device, const QImage& image, int compressionLevel, QString* error)
{
    if (image.isNull())
        return fail(error, QStringLiteral("PNG: the picture is empty"));
    if (!withinLimits(image.width(), image.height())) {
        return fail(error, sizeRefused(image.width(), image.height()));
    }

    // RGB32 shares the memory layout of ARGB32 with every alpha byte 0xff, and converting to it
    // costs nothing for the opaque pictures that are the rule.
    const QImage pixels = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (pixels.isNull())
        return fail(error, QStringLiteral("PNG: no memory to convert the picture"));

    PngSource source;
    source.bits = pixels.constBits();
    source.bytesPerLine = pixels.bytesPerLine();
    source.width = png_uint_32(pixels.width());
    source.height = png_uint_32(pixels.height());
    source.opaque = pixels.format() == QImage::Format_RGB32 || isOpaque(pixels);
    source.compressionLevel = qBound(0, compressionLevel, 9);

    CodecContext context;
    context.device = &device;
    PngWriteGuard guard(&context);
    if (!guard.png || !guard.info)
        return fail(error, QStringLiteral("PNG: libpng could not be set up"));
    if (!pngWriteImage(guard.png, guard.info, &context, &source))
        return failWithLibpng(error, nullptr, context);
    return true;
}
