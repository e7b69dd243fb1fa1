#pragma once
// Images for the photo tests, made here: every colour gives other bytes.

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>

#include <string>

inline std::string here(const char* name) {
    return QDir::current().absoluteFilePath(name).toStdString();
}

inline QByteArray
imageBytes(QRgb colour, const char* format = "png", QSize size = {40, 20},
           QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setTransformation(transformation);
    if (!writer.write(image)) qFatal("cannot make a %s image: %s", format, qPrintable(writer.errorString()));
    return bytes;
}
