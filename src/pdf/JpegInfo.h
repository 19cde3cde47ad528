// What the PDF writer needs of a JPEG file, read from its markers without decoding it.
#pragma once

#include <QByteArray>
#include <QString>

namespace vtx::pdf {

struct JpegInfo {
    enum class Status { Ok, TooSmall, BadMarkers, BadUnit, NoFrame };
    Status status = Status::NoFrame;
    int width = 0;
    int height = 0;
    int components = 0;
    QString colorSpace;  // "DeviceGray", "DeviceRGB" or "DeviceCMYK"
    QString densityUnit; // from the JFIF header, when there is one
    int badUnit = 0;     // the refused JFIF unit byte
};

/// Walks the segments of a JPEG file held in memory; every read is bounds-checked, and a file
/// without a usable frame header (size 0, samples other than 8 bits, or 2 or more than 4
/// components) is refused.
JpegInfo inspectJpeg(const QByteArray& data);

} // namespace vtx::pdf
