// JPEG segment walk: JFIF density unit and frame header.
#include "JpegInfo.h"

namespace vtx::pdf {

namespace {

int byteAt(const QByteArray& d, qsizetype p) {
    return static_cast<unsigned char>(d[p]);
}
int wordAt(const QByteArray& d, qsizetype p) {
    return byteAt(d, p) * 256 + byteAt(d, p + 1);
}

bool isFrameMarker(int m) {
    return m == 0xC0 || m == 0xC1 || m == 0xC2 || m == 0xC3 || m == 0xC5 || m == 0xC6 || m == 0xC7;
}

} // namespace

JpegInfo inspectJpeg(const QByteArray& data) {
    JpegInfo info;
    const qsizetype size = data.size();
    if (size < 250) {
        info.status = JpegInfo::Status::TooSmall;
        return info;
    }
    if (wordAt(data, 0) != 0xFFD8 || wordAt(data, size - 2) != 0xFFD9) {
        info.status = JpegInfo::Status::BadMarkers;
        return info;
    }

    bool frame = false;
    int precision = 0;
    qsizetype p = 2;
    while (p + 3 < size) {
        if (byteAt(data, p) != 0xFF)
            break;
        const int marker = byteAt(data, p + 1);
        if (marker == 0xFF) { // fill byte before the marker
            ++p;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) // entropy-coded data or the end follows
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            p += 2;
            continue;
        }
        const int length = wordAt(data, p + 2);
        if (length < 2)
            break;
        const qsizetype end = p + 2 + length;
        if (marker == 0xE0 && p + 11 < end && p + 11 < size &&
            data.mid(p + 4, 5) == QByteArray("JFIF\0", 5)) {
            const int unit = byteAt(data, p + 11);
            if (unit > 2) {
                info.status = JpegInfo::Status::BadUnit;
                info.badUnit = unit;
                return info;
            }
            static const char* const kUnits[] = {"Dots", "Dots/inch (DPI)", "Dots/cm"};
            info.densityUnit = QString::fromLatin1(kUnits[unit]);
        } else if (isFrameMarker(marker) && p + 9 < end && p + 9 < size) {
            frame = true;
            precision = byteAt(data, p + 4);
            info.height = wordAt(data, p + 5);
            info.width = wordAt(data, p + 7);
            info.components = byteAt(data, p + 9);
        }
        p = end;
    }

    static const char* const kSpaces[] = {"", "DeviceGray", "", "DeviceRGB", "DeviceCMYK"};
    // The picture is declared with 8 bits per component, so other sample sizes are refused.
    if (!frame || precision != 8 || info.width == 0 || info.height == 0 || info.components < 1 ||
        info.components > 4 || !*kSpaces[info.components]) {
        info.status = JpegInfo::Status::NoFrame;
        return info;
    }
    info.colorSpace = QString::fromLatin1(kSpaces[info.components]);
    info.status = JpegInfo::Status::Ok;
    return info;
}

} // namespace vtx::pdf
