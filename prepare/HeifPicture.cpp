#include "prepare/HeifPicture.h"

#include <cstdio>

#include <libheif/heif.h>

#include <memory>

namespace {

struct ContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
    void operator()(heif_image* image) const { heif_image_release(image); }
};

} // namespace

bool isHeifFile(const QByteArray& fileName) {
    std::FILE* raw = std::fopen(fileName.constData(), "rb");
    if (raw == nullptr) {
        return false;
    }
    uint8_t head[32] = {};
    const size_t got = std::fread(head, 1, sizeof head, raw);
    std::fclose(raw);
    const heif_filetype_result kind = heif_check_filetype(head, static_cast<int>(got));
    return kind == heif_filetype_yes_supported || kind == heif_filetype_yes_unsupported;
}

QImage decodeHeif(const QByteArray& fileName, QString* why) {
    const std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    heif_error error = heif_context_read_from_file(context.get(), fileName.constData(), nullptr);
    heif_image_handle* rawHandle = nullptr;
    if (error.code == heif_error_Ok) {
        error = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    }
    const std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);
    const bool alpha = handle && heif_image_handle_has_alpha_channel(handle.get()) != 0;
    heif_image* rawImage = nullptr;
    if (error.code == heif_error_Ok) {
        // The decoder applies the file's rotation and mirroring unless told otherwise.
        error = heif_decode_image(
            handle.get(), &rawImage, heif_colorspace_RGB,
            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr);
    }
    const std::unique_ptr<heif_image, ImageRelease> image(rawImage);
    if (error.code != heif_error_Ok || !image) {
        *why = QString::fromUtf8(error.message);
        return {};
    }
    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (pixels == nullptr || width <= 0 || height <= 0) {
        *why = QStringLiteral("no picture in it");
        return {};
    }
    // Copied out: the decoder's buffer goes with its image.
    return QImage(pixels, width, height, stride,
                  alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888)
        .copy();
}
