// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG decoded by libjpeg-turbo straight into the picture's own pixel format.
#include "picture/jpegdecoding.h"

#include <QIODevice>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>
#include <jerror.h> // after jpeglib.h, which it needs

namespace {

constexpr std::size_t ChunkBytes = 64 * 1024;

struct Source {
    jpeg_source_mgr manager;
    QIODevice *device;
    JOCTET buffer[ChunkBytes];
};

void initSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    const qint64 n = source->device->read(reinterpret_cast<char *>(source->buffer), qint64(ChunkBytes));
    if (n <= 0) {
        // As libjpeg's own file source: warn, then feed an end marker.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        source->manager.bytes_in_buffer = 2;
    } else {
        source->manager.bytes_in_buffer = std::size_t(n);
    }
    source->manager.next_input_byte = source->buffer;
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    while (count > long(source->manager.bytes_in_buffer)) {
        count -= long(source->manager.bytes_in_buffer);
        fillInput(info);
    }
    source->manager.next_input_byte += count;
    source->manager.bytes_in_buffer -= std::size_t(count);
}

void termSource(j_decompress_ptr) {}

struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    bool endedEarly = false;
};

[[noreturn]] void errorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Errors *>(info->err)->escape, 1);
}

// Warnings are not printed; data that ends early spoils the picture.
void emitMessage(j_common_ptr info, int level)
{
    auto *errors = reinterpret_cast<Errors *>(info->err);
    if (level < 0 && errors->manager.msg_code == JWRN_JPEG_EOF)
        errors->endedEarly = true;
}

} // namespace

JpegDecoding decodeJpegInto(QIODevice &device, QImage &picture, const std::atomic<bool> &cancelled)
{
    const bool grey = picture.format() == QImage::Format_Grayscale8;
    if (!grey && picture.format() != QImage::Format_RGB32)
        return JpegDecoding::NotHandled;
    const qint64 start = device.pos();
    // Everything libjpeg's longjmp may skip lives here, plainly destructible.
    jpeg_decompress_struct info{};
    Errors errors;
    Source source{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = errorExit;
    errors.manager.emit_message = emitMessage;
    volatile JpegDecoding outcome = JpegDecoding::Damaged;
    if (setjmp(errors.escape) == 0) {
        jpeg_create_decompress(&info);
        source.device = &device;
        source.manager.init_source = initSource;
        source.manager.fill_input_buffer = fillInput;
        source.manager.skip_input_data = skipInput;
        source.manager.resync_to_restart = jpeg_resync_to_restart;
        source.manager.term_source = termSource;
        info.src = &source.manager;
        jpeg_read_header(&info, TRUE);
        const bool colourModel = grey ? info.jpeg_color_space == JCS_GRAYSCALE
                                      : info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB;
        if (!colourModel || int(info.image_width) != picture.width() || int(info.image_height) != picture.height()) {
            outcome = JpegDecoding::NotHandled;
        } else {
            info.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGRX; // QImage's RGB32 in memory
            jpeg_start_decompress(&info);
            uchar *const pixels = picture.bits();
            const qsizetype stride = picture.bytesPerLine();
            outcome = JpegDecoding::Done;
            while (info.output_scanline < info.output_height) {
                if (cancelled) {
                    outcome = JpegDecoding::Cancelled;
                    break;
                }
                JSAMPROW row = pixels + qsizetype(info.output_scanline) * stride;
                jpeg_read_scanlines(&info, &row, 1);
            }
            if (outcome == JpegDecoding::Done && errors.endedEarly)
                outcome = JpegDecoding::Damaged;
        }
    }
    jpeg_destroy_decompress(&info);
    if (outcome == JpegDecoding::NotHandled)
        device.seek(start); // for the reader that will take it instead
    return outcome;
}
