#include "person/PictureDecoding.h"
#include "person/PictureFiles.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <cstdlib>
#include <memory>

namespace pictures {

namespace {

constexpr int kMaxSide = 8192;

// The size a metafile is drawn at: its shown size, never larger than
// kMaxSide (a metafile may claim any size).
QSize drawingSize(const QSize& natural, const QSize& frameSize) {
    QSize size = frameSize.isValid() ? fitIntoFrame(natural, frameSize).size() : natural;
    if (size.width() > kMaxSide || size.height() > kMaxSide)
        size = size.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio);
    return size.expandedTo(QSize(1, 1));
}

struct WmfApi {
    wmfAPI* api = nullptr;
    ~WmfApi() {
        if (api)
            wmf_api_destroy(api);
    }
};

void freeSvg(char* svg) {
    std::free(svg);
}

int collectPng(void* context, char* buffer, int length) {
    static_cast<QByteArray*>(context)->append(buffer, length);
    return length;
}

// Every record must lie inside the file and the last must be EMR_EOF;
// the converter is not trusted with anything else.
bool plausibleEmf(const QByteArray& bytes, QSize* bounds) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n < 88 || qFromLittleEndian<quint32>(p) != 1 ||
        qFromLittleEndian<quint32>(p + 40) != 0x464D4520)
        return false;
    const qint32 left = qFromLittleEndian<qint32>(p + 8);
    const qint32 top = qFromLittleEndian<qint32>(p + 12);
    const qint32 right = qFromLittleEndian<qint32>(p + 16);
    const qint32 bottom = qFromLittleEndian<qint32>(p + 20);
    *bounds = QSize(int(qint64(right) - left + 1), int(qint64(bottom) - top + 1));
    if (bounds->width() <= 0 || bounds->height() <= 0 || bounds->width() > 1'000'000 ||
        bounds->height() > 1'000'000)
        return false;
    qsizetype at = 0;
    quint32 type = 0;
    while (at + 8 <= n) {
        type = qFromLittleEndian<quint32>(p + at);
        const quint32 size = qFromLittleEndian<quint32>(p + at + 4);
        if (size < 8 || size % 4 != 0 || size > quint32(n - at))
            return false;
        at += size;
        if (type == 14) // EMR_EOF
            return true;
    }
    return false;
}

} // namespace

Picture renderWmf(const QByteArray& bytes, const QSize& frameSize) {
    Picture result;
    result.status = Picture::Undecodable;
    if (bytes.size() < 18)
        return result;
    WmfApi wmf;
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&wmf.api, flags, &options) != wmf_E_None)
        return result;
    wmf_gd_t* device = WMF_GD_GetData(wmf.api);
    if (!(device->flags & WMF_GD_SUPPORTS_PNG))
        return result;
    QByteArray data = bytes; // libwmf reads through a non-const pointer
    wmfD_Rect box;
    unsigned int w = 0;
    unsigned int h = 0;
    if (wmf_mem_open(wmf.api, reinterpret_cast<unsigned char*>(data.data()), long(data.size())) !=
            wmf_E_None ||
        wmf_scan(wmf.api, 0, &box) != wmf_E_None ||
        wmf_display_size(wmf.api, &w, &h, 96, 96) != wmf_E_None || w == 0 || h == 0 ||
        w > 1'000'000 || h > 1'000'000 || !(box.BR.x > box.TL.x) || !(box.BR.y > box.TL.y))
        return result;
    const QSize natural{int(w), int(h)};
    const QSize size = drawingSize(natural, frameSize);
    QByteArray png;
    device->type = wmf_gd_png;
    device->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    device->sink.context = &png;
    device->sink.function = collectPng;
    device->bbox = box;
    device->width = unsigned(size.width());
    device->height = unsigned(size.height());
    if (wmf_play(wmf.api, 0, &box) != wmf_E_None)
        return result;
    QImage image;
    if (!image.loadFromData(png, "PNG"))
        return result;
    result.status = Picture::Shown;
    result.naturalSize = natural;
    result.image = image;
    return result;
}

Picture renderEmf(const QByteArray& bytes, const QSize& frameSize) {
    Picture result;
    result.status = Picture::Undecodable;
    QSize natural;
    if (!plausibleEmf(bytes, &natural))
        return result;
    generatorOptions options{};
    options.nameSpace = nullptr;
    options.svgDelimiter = true;
    char* svg = nullptr;
    size_t svgLength = 0;
    QByteArray data = bytes; // the converter reads through a non-const pointer
    const int ok = emf2svg(data.data(), size_t(data.size()), &svg, &svgLength, &options);
    const std::unique_ptr<char, decltype(&freeSvg)> owned(svg, &freeSvg);
    if (!ok || !svg)
        return result;
    QSvgRenderer renderer(QByteArray(svg, qsizetype(svgLength)));
    if (!renderer.isValid())
        return result;
    const QSize size = drawingSize(natural, frameSize);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    result.status = Picture::Shown;
    result.naturalSize = natural;
    result.image = image;
    return result;
}

} // namespace pictures
