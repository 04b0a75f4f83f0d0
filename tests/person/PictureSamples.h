#pragma once

// Small picture files of every kind the program offers, made on the spot.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

namespace samples {

inline QImage filled(int w, int h, const QColor& colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Written with Qt's writer; the program reads them with libjpeg.
inline QByteArray jpeg(const QImage& image, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

inline QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class Bytes {
public:
    Bytes& u16(quint16 v) {
        for (int i = 0; i < 2; ++i)
            data.append(char(v >> (8 * i)));
        return *this;
    }
    Bytes& u32(quint32 v) {
        for (int i = 0; i < 4; ++i)
            data.append(char(v >> (8 * i)));
        return *this;
    }
    QByteArray data;
};

// A placeable metafile of 200 x 100 units at 96 units an inch: a red
// rectangle filling it and a line of text.
inline QByteArray wmf() {
    Bytes header;
    header.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(200).u16(100).u16(96).u32(0);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= qFromLittleEndian<quint16>(header.data.constData() + 2 * i);
    header.u16(checksum);
    Bytes records;
    records.u32(5).u16(0x020B).u16(0).u16(0);                          // SetWindowOrg y, x
    records.u32(5).u16(0x020C).u16(100).u16(200);                      // SetWindowExt y, x
    records.u32(7).u16(0x02FC).u16(0).u32(0x000000FF).u16(0);          // solid red brush
    records.u32(4).u16(0x012D).u16(0);                                 // select it
    records.u32(7).u16(0x041B).u16(100).u16(200).u16(0).u16(0);        // Rectangle b, r, t, l
    records.u32(8).u16(0x0521).u16(4).u32(0x74736554).u16(40).u16(20); // TextOut "Test"
    records.u32(3).u16(0);                                             // EOF
    Bytes meta;
    const quint32 words = quint32(9 + records.data.size() / 2);
    meta.u16(1).u16(9).u16(0x0300).u32(words).u16(1).u32(8).u16(0);
    return header.data + meta.data + records.data;
}

// An enhanced metafile of 200 x 100 pixels: a red rectangle filling it.
inline QByteArray emf() {
    Bytes b;
    b.u32(1).u32(108).u32(0).u32(0).u32(199).u32(99);           // header, bounds
    b.u32(0).u32(0).u32(5291).u32(2645);                        // frame, 0.01 mm
    b.u32(0x464D4520).u32(0x10000).u32(0).u32(5).u16(2).u16(0); // size set below
    b.u32(0).u32(0).u32(0).u32(1024).u32(768).u32(271).u32(203);
    b.u32(0).u32(0).u32(0).u32(271000).u32(203000);
    b.u32(39).u32(24).u32(1).u32(0).u32(0x000000FF).u32(0); // red brush
    b.u32(37).u32(12).u32(1);                               // select it
    b.u32(43).u32(24).u32(0).u32(0).u32(199).u32(99);       // rectangle
    b.u32(14).u32(20).u32(0).u32(16).u32(20);               // EOF
    qToLittleEndian<quint32>(quint32(b.data.size()), b.data.data() + 48);
    return b.data;
}

} // namespace samples
