#include "document/jpegcodec.h"

#include <QIODevice>
#include <QImage>
#include <QSysInfo>
#include <QtEndian>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
// After jpeglib.h, whose configuration tells jerror.h which messages this libjpeg has.
#include <jerror.h>

// libjpeg reports every failure by longjmp back to the last setjmp. Jumping over a C++ frame is
// only harmless when no object in it has a destructor, so the code is split in two layers, as
// in the PNG reader: readJpeg owns the C++ objects (the buffers, the picture, the decompressor
// through a guard), and the functions below hold nothing but plain pointers and numbers. The two
// that run libjpeg set their own jump target and return false when it gives up.

namespace {

constexpr size_t inputBlockBytes = 64 * 1024;

// How long a sequential device (a pipe, a socket) may take to deliver bytes it has not yet got.
// Files and buffers report their end at once.
constexpr int readWaitMs = 30000;

// The data of one APP1 segment: its 16-bit length counts itself.
constexpr size_t maxSegmentBytes = 65533;

// A progressive or multi-scan picture keeps all its DCT coefficients until the last scan: two
// bytes per sample, for up to four components at full resolution, padded to whole blocks. Nine
// bytes per pixel of the largest accepted picture cover that; libjpeg refuses anything beyond
// instead of asking for more.
constexpr long maxLibjpegMemory = long(maxPicturePixels) * 9;

constexpr int rowsPerCall = 16;

constexpr bool littleEndian = QSysInfo::ByteOrder == QSysInfo::LittleEndian;

// Everything libjpeg's callbacks need, reached through the decompressor's client_data. Plain
// data only: the buffers belong to readJpeg.
struct JpegReadContext
{
    jpeg_error_mgr errors;
    jpeg_source_mgr source;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    QIODevice* device;
    JOCTET* input; // inputBlockBytes
    qint64 bytesLeft; // what the reader may still take from the device
    JOCTET* exif; // maxSegmentBytes: the TIFF data of the first Exif segment
    size_t exifLength;
    bool exifSeen;
    PictureFault fault;
    char message[JMSG_LENGTH_MAX];
};

JpegReadContext* contextOf(j_decompress_ptr cinfo)
{
    return static_cast<JpegReadContext*>(cinfo->client_data);
}

[[noreturn]] void giveUp(JpegReadContext* context, PictureFault kind, const char* message)
{
    context->fault = kind;
    qstrncpy(context->message, message, sizeof context->message);
    std::longjmp(context->jump, 1);
}

PictureFault faultOf(int code)
{
    switch (code) {
    case JERR_NO_SOI:
        return PictureFault::NotThisFormat;
    case JERR_INPUT_EMPTY:
    case JERR_INPUT_EOF:
        return PictureFault::Truncated;
    case JERR_FILE_READ:
        return PictureFault::ReadError;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
    case JERR_NO_BACKING_STORE:
        return PictureFault::TooLarge;
    case JERR_OUT_OF_MEMORY:
        return PictureFault::NoMemory;
    case JERR_BAD_PRECISION:
    case JERR_SOF_UNSUPPORTED:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_COMPONENT_COUNT:
    case JERR_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_ARITH_NOTIMPL:
    case JERR_CCIR601_NOTIMPL:
    case JERR_FRACT_SAMPLE_NOTIMPL:
        return PictureFault::Unsupported;
    default:
        return PictureFault::Damaged;
    }
}

[[noreturn]] void onJpegError(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    giveUp(static_cast<JpegReadContext*>(cinfo->client_data), faultOf(cinfo->err->msg_code), text);
}

// libjpeg reads past damage in the entropy-coded data with a warning and fills what it could not
// decode with grey. A teacher would get half a photograph without a word, so those warnings end
// the reading. Others (surplus bytes between markers, an unknown JFIF version) leave the picture
// whole and are ignored, as are trace messages.
void onJpegMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    const int code = cinfo->err->msg_code;
    if (code != JWRN_HIT_MARKER && code != JWRN_JPEG_EOF && code != JWRN_MUST_RESYNC && code != JWRN_HUFF_BAD_CODE
        && code != JWRN_ARITH_BAD_CODE)
        return;
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    giveUp(static_cast<JpegReadContext*>(cinfo->client_data),
        code == JWRN_JPEG_EOF ? PictureFault::Truncated : PictureFault::Damaged, text);
}

void onJpegOutput(j_common_ptr) { }

void initSource(j_decompress_ptr) { }

void termSource(j_decompress_ptr) { }

// The standard sources insert an end-of-image marker when the data runs out and let libjpeg
// finish the picture in grey; this one fails instead.
boolean fillInput(j_decompress_ptr cinfo)
{
    JpegReadContext* context = contextOf(cinfo);
    if (context->bytesLeft <= 0) {
        char text[JMSG_LENGTH_MAX];
        std::snprintf(text, sizeof text, "the data is longer than %lld bytes", static_cast<long long>(maxJpegBytes));
        giveUp(context, PictureFault::TooLarge, text);
    }
    char* buffer = reinterpret_cast<char*>(context->input);
    const qint64 wanted = std::min(qint64(inputBlockBytes), context->bytesLeft);
    qint64 got = context->device->read(buffer, wanted);
    if (got == 0 && context->device->waitForReadyRead(readWaitMs))
        got = context->device->read(buffer, wanted);
    if (got < 0)
        giveUp(context, PictureFault::ReadError, "the device could not be read");
    if (got == 0)
        giveUp(context, PictureFault::Truncated, "unexpected end of data");
    context->bytesLeft -= got;
    cinfo->src->next_input_byte = context->input;
    cinfo->src->bytes_in_buffer = size_t(got);
    return TRUE;
}

void skipInput(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = cinfo->src;
    auto left = static_cast<unsigned long>(count);
    while (left > source->bytes_in_buffer) {
        left -= source->bytes_in_buffer;
        source->bytes_in_buffer = 0;
        fillInput(cinfo);
    }
    source->next_input_byte += left;
    source->bytes_in_buffer -= left;
}

unsigned nextByte(j_decompress_ptr cinfo)
{
    jpeg_source_mgr* source = cinfo->src;
    if (source->bytes_in_buffer == 0)
        fillInput(cinfo);
    --source->bytes_in_buffer;
    return GETJOCTET(*source->next_input_byte++);
}

// Keeps the TIFF data of the first Exif segment for its orientation tag and skips every other
// APP1 segment (XMP, further Exif blocks) unread, so that a stream of many segments costs no
// memory.
boolean readApp1(j_decompress_ptr cinfo)
{
    JpegReadContext* context = contextOf(cinfo);
    unsigned length = nextByte(cinfo) << 8;
    length |= nextByte(cinfo);
    if (length < 2)
        ERREXIT(cinfo, JERR_BAD_LENGTH);
    size_t left = length - 2;
    static constexpr unsigned char exifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    bool keep = !context->exifSeen && left >= sizeof exifHeader;
    for (size_t i = 0; keep && i < sizeof exifHeader; ++i) {
        keep = nextByte(cinfo) == exifHeader[i];
        --left;
    }
    if (!keep) {
        skipInput(cinfo, long(left));
        return TRUE;
    }
    context->exifSeen = true;
    context->exifLength = left; // at most maxSegmentBytes - 6
    JOCTET* target = context->exif;
    while (left > 0) {
        if (cinfo->src->bytes_in_buffer == 0)
            fillInput(cinfo);
        const size_t taken = std::min(left, cinfo->src->bytes_in_buffer);
        std::memcpy(target, cinfo->src->next_input_byte, taken);
        target += taken;
        left -= taken;
        cinfo->src->next_input_byte += taken;
        cinfo->src->bytes_in_buffer -= taken;
    }
    return TRUE;
}

// libjpeg calls this while it takes in the scans of a progressive picture, and for every batch of
// rows it hands out.
void onProgress(j_common_ptr cinfo)
{
    const auto* decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompressor->input_scan_number > maxJpegScans) {
        char text[JMSG_LENGTH_MAX];
        std::snprintf(text, sizeof text, "more than %d scans", maxJpegScans);
        giveUp(static_cast<JpegReadContext*>(cinfo->client_data), PictureFault::Damaged, text);
    }
}

// cinfo must be zeroed with its error manager and client_data set; the caller destroys it
// whatever happens. Reads every marker up to the first scan; nothing of the picture's size is
// allocated yet.
bool jpegReadHeader(jpeg_decompress_struct* cinfo, JpegReadContext* context)
{
    if (setjmp(context->jump))
        return false;
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = maxLibjpegMemory;
    cinfo->src = &context->source;
    cinfo->progress = &context->progress;
    jpeg_set_marker_processor(cinfo, JPEG_APP0 + 1, readApp1);
    jpeg_read_header(cinfo, TRUE);
    return true;
}

struct JpegTarget
{
    uchar* bits = nullptr;
    qsizetype bytesPerLine = 0;
    JDIMENSION width = 0;
    JDIMENSION height = 0;
    JSAMPLE* cmykRow = nullptr; // width * 4 samples, for a CMYK picture only
    bool invertedCmyk = false;
};

// Four samples of one pixel per CMYK row, stored by Adobe's programs as 255 minus the ink.
void cmykToArgb(const JSAMPLE* samples, QRgb* pixel, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, samples += 4) {
        const int flip = inverted ? 0 : 255;
        const int c = GETJSAMPLE(samples[0]) ^ flip;
        const int m = GETJSAMPLE(samples[1]) ^ flip;
        const int y = GETJSAMPLE(samples[2]) ^ flip;
        const int k = GETJSAMPLE(samples[3]) ^ flip;
        *pixel++ = qRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
    }
}

// Decodes every row into the target and reads on to the end-of-image marker, so that a stream
// cut short after its last row still counts as truncated.
bool jpegDecode(jpeg_decompress_struct* cinfo, JpegReadContext* context, const JpegTarget* target)
{
    if (setjmp(context->jump))
        return false;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != target->width || cinfo->output_height != target->height || cinfo->output_components != 4)
        giveUp(context, PictureFault::Unsupported, "unexpected row layout after colour conversion");
    while (cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION first = cinfo->output_scanline;
        uchar* line = target->bits + target->bytesPerLine * qsizetype(first);
        JDIMENSION got = 0;
        if (target->cmykRow) {
            JSAMPROW rows[1] = {target->cmykRow};
            got = jpeg_read_scanlines(cinfo, rows, 1);
            if (got == 1)
                cmykToArgb(target->cmykRow, reinterpret_cast<QRgb*>(line), target->width, target->invertedCmyk);
        } else {
            JSAMPROW rows[rowsPerCall];
            const JDIMENSION count = std::min<JDIMENSION>(rowsPerCall, cinfo->output_height - first);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = line + target->bytesPerLine * qsizetype(i);
            got = jpeg_read_scanlines(cinfo, rows, count);
        }
        // Only a suspending source returns no rows, and this one never suspends.
        if (got == 0)
            giveUp(context, PictureFault::Damaged, "no rows decoded");
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

class DecompressGuard
{
public:
    explicit DecompressGuard(jpeg_decompress_struct* cinfo)
        : m_cinfo(cinfo)
    { }
    ~DecompressGuard() { jpeg_destroy_decompress(m_cinfo); }
    DecompressGuard(const DecompressGuard&) = delete;
    DecompressGuard& operator=(const DecompressGuard&) = delete;

private:
    jpeg_decompress_struct* m_cinfo;
};

// The orientation tag (0x0112) of the first image directory in Exif's TIFF data: 1 upright,
// 2 to 8 the mirrorings and quarter turns that bring the stored picture upright. Every offset is
// checked against the segment, so a broken or hostile tag leaves the picture as stored.
int exifOrientation(const uchar* tiff, size_t length)
{
    if (length < 8)
        return 1;
    bool little = false;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (tiff[0] != 'M' || tiff[1] != 'M')
        return 1;
    const auto u16 = [&](size_t at) -> quint32 {
        return little ? qFromLittleEndian<quint16>(tiff + at) : qFromBigEndian<quint16>(tiff + at);
    };
    const auto u32 = [&](size_t at) -> quint32 {
        return little ? qFromLittleEndian<quint32>(tiff + at) : qFromBigEndian<quint32>(tiff + at);
    };
    if (u16(2) != 42)
        return 1;
    const size_t directory = u32(4);
    if (directory < 8 || directory > length - 2)
        return 1;
    const quint32 entries = u16(directory);
    constexpr quint32 orientationTag = 0x0112;
    constexpr quint32 typeShort = 3;
    for (quint32 i = 0; i < entries; ++i) {
        const size_t entry = directory + 2 + size_t(i) * 12;
        if (entry + 12 > length)
            return 1;
        if (u16(entry) != orientationTag)
            continue;
        if (u16(entry + 2) != typeShort || u32(entry + 4) != 1)
            return 1;
        const quint32 value = u16(entry + 8);
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

// The stored picture brought upright by Exif orientation 2 to 8; a null picture without memory.
QImage orientedPicture(const QImage& stored, int orientation)
{
    const qsizetype w = stored.width();
    const qsizetype h = stored.height();
    const bool swapsSides = orientation >= 5;
    QImage upright(int(swapsSides ? h : w), int(swapsSides ? w : h), QImage::Format_ARGB32);
    if (upright.isNull())
        return upright;
    auto* const target = reinterpret_cast<QRgb*>(upright.bits());
    const qsizetype stride = upright.bytesPerLine() / qsizetype(sizeof(QRgb));
    for (qsizetype y = 0; y < h; ++y) {
        const auto* pixel = reinterpret_cast<const QRgb*>(stored.constScanLine(int(y)));
        for (qsizetype x = 0; x < w; ++x) {
            qsizetype tx = x;
            qsizetype ty = y;
            switch (orientation) {
            case 2: // mirrored
                tx = w - 1 - x;
                break;
            case 3: // turned half round
                tx = w - 1 - x;
                ty = h - 1 - y;
                break;
            case 4: // upside down
                ty = h - 1 - y;
                break;
            case 5: // transposed
                tx = y;
                ty = x;
                break;
            case 6: // to be turned a quarter clockwise
                tx = h - 1 - y;
                ty = x;
                break;
            case 7: // transposed the other way
                tx = h - 1 - y;
                ty = w - 1 - x;
                break;
            case 8: // to be turned a quarter anticlockwise
                tx = y;
                ty = w - 1 - x;
                break;
            default:
                break;
            }
            target[ty * stride + tx] = pixel[x];
        }
    }
    return upright;
}

bool withinLimits(qint64 width, qint64 height)
{
    return width <= qint64(maxPictureSide) && height <= qint64(maxPictureSide) && width * height <= maxPicturePixels;
}

bool fail(QString* error, PictureFault* fault, PictureFault kind, const QString& reason)
{
    if (error)
        *error = reason;
    if (fault)
        *fault = kind;
    return false;
}

bool failWithLibjpeg(QString* error, PictureFault* fault, const JpegReadContext& context)
{
    return fail(error, fault, context.fault, QStringLiteral("JPEG: %1").arg(QLatin1String(context.message)));
}

} // namespace

bool readJpeg(QIODevice& device, QImage& image, QString* error, PictureFault* fault)
{
    image = QImage();
    QByteArray input(qsizetype(inputBlockBytes), Qt::Uninitialized);
    QByteArray exif(qsizetype(maxSegmentBytes), Qt::Uninitialized);

    JpegReadContext context {};
    context.device = &device;
    context.input = reinterpret_cast<JOCTET*>(input.data());
    context.bytesLeft = maxJpegBytes;
    context.exif = reinterpret_cast<JOCTET*>(exif.data());
    context.fault = PictureFault::Damaged;
    context.source.init_source = initSource;
    context.source.fill_input_buffer = fillInput;
    context.source.skip_input_data = skipInput;
    context.source.resync_to_restart = jpeg_resync_to_restart;
    context.source.term_source = termSource;
    context.progress.progress_monitor = onProgress;

    jpeg_decompress_struct cinfo {};
    cinfo.err = jpeg_std_error(&context.errors);
    context.errors.error_exit = onJpegError;
    context.errors.emit_message = onJpegMessage;
    context.errors.output_message = onJpegOutput;
    cinfo.client_data = &context;
    DecompressGuard guard(&cinfo);

    if (!jpegReadHeader(&cinfo, &context))
        return failWithLibjpeg(error, fault, context);
    const qint64 width = cinfo.image_width;
    const qint64 height = cinfo.image_height;
    if (!withinLimits(width, height)) {
        return fail(error, fault, PictureFault::TooLarge,
            QStringLiteral("JPEG: a picture of %1 x %2 pixels is refused (at most %3 pixels, %4 per side)")
                .arg(width)
                .arg(height)
                .arg(maxPicturePixels)
                .arg(maxPictureSide));
    }

    // libjpeg writes the rows of every other colour space straight in the memory layout of
    // QImage::Format_ARGB32, with the alpha byte set; CMYK goes through a row of its own.
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : littleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;

    QImage decoded(int(width), int(height), QImage::Format_ARGB32);
    QByteArray cmykRow;
    if (cmyk)
        cmykRow.resize(qsizetype(width) * 4);
    if (decoded.isNull() || (cmyk && cmykRow.size() != qsizetype(width) * 4)) {
        return fail(error, fault, PictureFault::NoMemory,
            QStringLiteral("JPEG: no memory for a picture of %1 x %2 pixels").arg(width).arg(height));
    }
    JpegTarget target;
    target.bits = decoded.bits();
    target.bytesPerLine = decoded.bytesPerLine();
    target.width = JDIMENSION(width);
    target.height = JDIMENSION(height);
    target.cmykRow = cmyk ? reinterpret_cast<JSAMPLE*>(cmykRow.data()) : nullptr;
    target.invertedCmyk = cinfo.saw_Adobe_marker;
    if (!jpegDecode(&cinfo, &context, &target))
        return failWithLibjpeg(error, fault, context);

    const int orientation = context.exifSeen ? exifOrientation(context.exif, context.exifLength) : 1;
    if (orientation != 1) {
        decoded = orientedPicture(decoded, orientation);
        if (decoded.isNull()) {
            return fail(error, fault, PictureFault::NoMemory,
                QStringLiteral("JPEG: no memory to turn a picture of %1 x %2 pixels upright").arg(width).arg(height));
        }
    }
    image = std::move(decoded);
    return true;
}
