#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Reading a picture file for the picture box, without widgets. The kind
// of file is chosen by its extension: JPEG through libjpeg, BMP and ICO
// through Qt's readers, WMF through libwmf, EMF through libemf2svg and
// Qt SVG.
namespace pictures {

struct Picture {
    enum Status { Shown, Missing, Undecodable };
    Status status = Missing;
    // Possibly reduced, but never below the size it is shown at.
    QImage image;
    // The picture's own size in pixels (metafiles at 96 dots per inch).
    QSize naturalSize;
};

// Reads file for showing in a frame of frameSize (see fitIntoFrame): a
// picture far larger than the frame is decoded at a reduced scale where
// its format allows. An invalid frameSize reads the natural size.
Picture loadPicture(const QString& file, const QSize& frameSize);

// The decoders behind loadPicture, on the bytes of a file; a null image
// means the bytes cannot be shown. They scale so that the result still
// covers the size the picture is shown at in frameSize.
Picture decodeJpeg(const QByteArray& bytes, const QSize& frameSize);
Picture renderWmf(const QByteArray& bytes, const QSize& frameSize);
Picture renderEmf(const QByteArray& bytes, const QSize& frameSize);

} // namespace pictures
