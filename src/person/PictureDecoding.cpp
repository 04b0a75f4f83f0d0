#include "person/PictureDecoding.h"

#include "person/PictureFiles.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace pictures {

namespace {

// Metafiles and bitmaps are read whole; nothing a person's picture needs
// comes near this.
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;

Picture readWithQt(const QByteArray& bytes, const QByteArray& format, const QSize& frameSize) {
    Picture result;
    result.status = Picture::Undecodable;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize natural = reader.size();
    if (!natural.isValid())
        return result;
    QImage image;
    if (!reader.read(&image))
        return result;
    result.status = Picture::Shown;
    result.naturalSize = image.size();
    if (frameSize.isValid()) {
        const QSize shown = fitIntoFrame(image.size(), frameSize).size();
        if (shown.width() < image.width() / 2)
            image = image.scaled(shown * 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    result.image = image;
    return result;
}

} // namespace

Picture loadPicture(const QString& file, const QSize& frameSize) {
    Picture result;
    QFile f(file);
    if (!QFileInfo(file).isFile())
        return result;
    result.status = Picture::Undecodable;
    if (!f.open(QIODevice::ReadOnly) || f.size() == 0 || f.size() > kMaxFileSize)
        return result;
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == u"jpg" || suffix == u"jpeg") {
        // Mapped, so a large photograph is not copied before decoding.
        if (uchar* mapped = f.map(0, f.size())) {
            const QByteArray bytes =
                QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), f.size());
            result = decodeJpeg(bytes, frameSize);
            f.unmap(mapped);
            return result;
        }
        return decodeJpeg(f.readAll(), frameSize);
    }
    const QByteArray bytes = f.readAll();
    if (suffix == u"wmf")
        return renderWmf(bytes, frameSize);
    if (suffix == u"emf")
        return renderEmf(bytes, frameSize);
    if (suffix == u"bmp" || suffix == u"ico")
        return readWithQt(bytes, suffix.toLatin1(), frameSize);
    // Other kinds, named in older records: whatever Qt recognises, except
    // JPEG, which is always decoded with libjpeg.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format == "jpeg")
        return decodeJpeg(bytes, frameSize);
    return readWithQt(bytes, format, frameSize);
}

} // namespace pictures
