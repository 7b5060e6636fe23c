#include "prepare/JpegScan.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// The decoder's error manager: an error ends the decoding through a jump, a warning is only
// noted.
struct ScanErrors {
    jpeg_error_mgr base{};
    std::jmp_buf jump{};
    bool endsEarly = false;
};

[[noreturn]] void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ScanErrors*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
    // Level -1 is a warning; "premature end of data" is the one a cut file gives.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        reinterpret_cast<ScanErrors*>(info->err)->endsEarly = true;
    }
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

JpegFacts scanJpeg(const QByteArray& fileName) {
    JpegFacts facts;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.constData(), "rb"));
    if (!file) {
        return facts;
    }
    jpeg_decompress_struct info{};
    ScanErrors errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    // Nothing that needs a destructor lives between here and the jump.
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return facts;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file.get());
    jpeg_read_header(&info, TRUE);
    facts.cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    facts.width = static_cast<int>(info.image_width);
    facts.height = static_cast<int>(info.image_height);
    if (info.saw_JFIF_marker && info.X_density > 0 && info.Y_density > 0) {
        const double perInch = info.density_unit == 1 ? 1.0 : info.density_unit == 2 ? 2.54 : 0.0;
        facts.dpiX = info.X_density * perInch;
        facts.dpiY = info.Y_density * perInch;
    }
    info.scale_num = 1;
    info.scale_denom = 8;
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&info);
    // The decoder's own memory: freed with it, also after a jump.
    JSAMPARRAY rows = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * info.output_components, 1);
    while (info.output_scanline < info.output_height && !errors.endsEarly) {
        jpeg_read_scanlines(&info, rows, 1);
    }
    // Where the rows ended early the decoder made up the rest; the end marker is then missing too.
    if (!errors.endsEarly) {
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    facts.endsEarly = errors.endsEarly;
    facts.readable = true;
    return facts;
}
