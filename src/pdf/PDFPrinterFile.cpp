// PDFPrinter file assembly: objects with their offsets, content streams, the page tree,
// resources, outline, catalog, cross-reference table and trailer.
#include <algorithm>

#include "Cp1252.h"
#include "PDFPrinterState.h"
#include "PdfNumber.h"

namespace vtx {

using pdf::appendFixed;

namespace {

constexpr std::string_view kObjStart = "%DEBUT_OBJ/%\r\n";
constexpr std::string_view kObjEnd = "%FIN_OBJ/%\r\n";

std::string header(int number) {
    return std::to_string(number) + " 0 obj\r\n";
}
std::string ref(int number) {
    return std::to_string(number) + " 0 R";
}

// A font name as a PDF name: delimiters, blanks and other bytes as #xx.
std::string pdfName(const QString& name) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (char ch : pdf::winAnsi(name)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c > '~' ||
            std::string_view("()<>[]{}/%#").find(ch) != std::string_view::npos) {
            out.push_back('#');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

} // namespace

void PDFPrinter::Private::appendPoints(std::string& out, double value) const {
    appendFixed(out, value * unit, 2);
}

void PDFPrinter::Private::point(std::string& out, double x, double y) const {
    appendFixed(out, x * unit, 2);
    out.push_back(' ');
    appendFixed(out, pageH() - y * unit, 2);
}

void PDFPrinter::Private::extendFormats(int index) {
    while (static_cast<int>(pageWidth.size()) <= index) {
        pageWidth.push_back(pageWidth.back());
        pageHeight.push_back(pageHeight.back());
        orientation.push_back(orientation.back());
    }
}

// Records where "k 0 obj" starts (after a leading marker line) and writes the object.
void PDFPrinter::Private::writeObject(std::string& text) {
    const bool marked = std::string_view(text).starts_with(kObjStart);
    offsets.push_back(sink.position() + (marked ? static_cast<long long>(kObjStart.size()) : 0));
    text.append("\r\n");
    sink.write(text);
    text.clear();
}

void PDFPrinter::Private::beginStream(bool marked) {
    const int n = ++objectCount;
    contentObjects.push_back(n);
    objects = header(n) + "<< /Length " + ref(n + 1) + "\r\n >>\r\nstream\r\n";
    content.clear();
    if (marked)
        content.append(kObjStart);
}

// Writes the current page's stream, then its length as the object after it.
void PDFPrinter::Private::closeStream(bool marked) {
    offsets.push_back(sink.position());
    sink.write(objects);
    sink.write(content);
    sink.write(marked ? "endstream\r\nendobj\r\n%FIN_OBJ/%\r\n\r\n"
                      : "endstream\r\nendobj\r\n\r\n");
    const size_t length = content.size();
    content.clear();

    const int m = ++objectCount;
    objects.clear();
    if (marked)
        objects.append(kObjStart);
    objects += header(m) + std::to_string(length) + "\r\nendobj\r\n";
    if (marked)
        objects.append(kObjEnd);
    writeObject(objects);
}

void PDFPrinter::Private::writeFonts() {
    int number = 0;
    for (const QString& name : fontList) {
        const int k = ++objectCount;
        fontObjects.push_back(k);
        objects = header(k) + "<< /Type /Font\r\n/Subtype /Type1\r\n/Name /F" +
                  std::to_string(++number) + "\r\n/BaseFont /" + pdfName(name) +
                  "\r\n/Encoding /WinAnsiEncoding\r\n>>\r\nendobj\r\n";
        writeObject(objects);
    }
}

void PDFPrinter::Private::writePages() {
    pagesObject = ++objectCount;
    const int firstPage = pagesObject + 2 + static_cast<int>(images.size());
    objects = std::string(kObjStart) + header(pagesObject) + "<< /Type /Pages\r\n/Kids [\r\n";
    for (int i = 0; i < pageCounter; ++i)
        objects += ref(firstPage + i) + "\r\n";
    objects += "]\r\n/Count " + std::to_string(pageCounter) + "\r\n>>\r\nendobj\r\n";
    writeObject(objects);

    // A page whose format entry was never made takes the one before it.
    extendFormats(pageCounter - 1);
    boxWidth.assign(pageWidth.begin(), pageWidth.begin() + pageCounter);
    boxHeight.assign(pageHeight.begin(), pageHeight.begin() + pageCounter);
}

void PDFPrinter::Private::writeResources() {
    resourcesObject = ++objectCount;
    objects = header(resourcesObject) + "<< /ProcSet [ /PDF /Text /ImageC]\r\n/XObject << \r\n";
    for (size_t i = 1; i <= images.size(); ++i)
        objects += "/ImgJPEG" + std::to_string(i) + " " +
                   ref(resourcesObject + static_cast<int>(i)) + "\r\n";
    objects += ">>\r\n/Font << \r\n";
    for (size_t i = 0; i < fontObjects.size(); ++i)
        objects += "/F" + std::to_string(i + 1) + " " + ref(fontObjects[i]) + " \r\n";
    objects += ">>\r\n>>\r\nendobj\r\n";
    writeObject(objects);
}

void PDFPrinter::Private::writeImages() {
    for (size_t i = 0; i < images.size(); ++i) {
        const Image& img = images[i];
        objects = header(++objectCount) + "<</Type /XObject\r\n/Subtype /Image\r\n" +
                  "/Filter [/DCTDecode ]\r\n/Width " + std::to_string(img.width) + "\r\n/Height " +
                  std::to_string(img.height) + "\r\n/ColorSpace /" + img.colorSpace.toStdString() +
                  "\r\n/BitsPerComponent 8\r\n/Length " + std::to_string(img.data.size()) +
                  "\r\n/Name /ImgJPEG" + std::to_string(i + 1) + ">>\r\nstream\r\n";
        objects.append(img.data.constData(), static_cast<size_t>(img.data.size()));
        objects += "\r\nendstream\r\nendobj\r\n";
        writeObject(objects);
    }
}

void PDFPrinter::Private::writePageObjects() {
    for (int i = 0; i < pageCounter; ++i) {
        const int k = ++objectCount;
        pageObjects.push_back(k);
        objects = header(k) + "<< /Type /Page\r\n/Parent " + ref(pagesObject) +
                  "\r\n/MediaBox [ 0 0 " + pdf::shortest(boxWidth[i]) + " " +
                  pdf::shortest(boxHeight[i]) + "]\r\n/Resources " + ref(resourcesObject) + "\r\n";
        const auto it = links.find(i + 1);
        if (it != links.end() && !it->second.empty()) {
            objects += "/Annots [";
            for (const LinkArea& l : it->second) {
                objects += "<</Type /Annot /Subtype /Link /Rect [" + pdf::shortest(l.x) + " " +
                           pdf::shortest(l.y) + " " + pdf::shortest(l.x + l.w) + " " +
                           pdf::shortest(l.y - l.h) + "] /Border [0 0 0] ";
                if (!l.target.empty())
                    objects += "/A <</S /URI /URI (" + l.target + ")>>";
                objects += ">>\r\n";
            }
            objects += "]\r\n";
        }
        objects += "/Contents " + ref(contentObjects[i]) + "\r\n>>\r\nendobj\r\n";
        objects.append(kObjEnd);
        writeObject(objects);
    }
}

// The bookmark tree: a level deeper than the one before it by more than one hangs under the
// nearest existing level.
void PDFPrinter::Private::writeOutlines() {
    if (bookmarks.empty())
        return;
    const int count = static_cast<int>(bookmarks.size());
    std::vector<int> lastAt;
    int level = 0;
    for (int i = 0; i < count; ++i) {
        Bookmark& b = bookmarks[i];
        const int lev = std::clamp(b.level, 0, static_cast<int>(lastAt.size()));
        if (lev > 0) {
            Bookmark& p = bookmarks[lastAt[lev - 1]];
            b.parent = lastAt[lev - 1];
            p.last = i;
            if (lev > level)
                p.first = i;
        } else {
            b.parent = count;
        }
        if (lev <= level && i > 0) {
            bookmarks[lastAt[lev]].next = i;
            b.prev = lastAt[lev];
        }
        lastAt.resize(lev + 1);
        lastAt[lev] = i;
        level = lev;
    }

    const int base = objectCount + 1;
    for (const Bookmark& b : bookmarks) {
        objects = header(++objectCount) + "<</Title (" + b.title + ")\r\n/Parent " +
                  ref(base + b.parent) + "\r\n";
        if (b.prev >= 0)
            objects += "/Prev " + ref(base + b.prev) + "\r\n";
        if (b.next >= 0)
            objects += "/Next " + ref(base + b.next) + "\r\n";
        if (b.first >= 0)
            objects += "/First " + ref(base + b.first) + "\r\n";
        if (b.last >= 0)
            objects += "/Last " + ref(base + b.last) + "\r\n";
        objects += "/Dest [" + ref(pageObjects[b.page - 1]) + " /XYZ 0 ";
        appendFixed(objects, boxHeight[b.page - 1] - b.y * unit, 2);
        objects += " null]\r\n/Count 0>>\r\nendobj\r\n";
        writeObject(objects);
    }
    outlineRoot = ++objectCount;
    objects = header(outlineRoot) + "<</Type /Outlines /First " + ref(base) + "\r\n/Last " +
              ref(base + lastAt[0]) + ">>\r\nendobj\r\n";
    writeObject(objects);
}

void PDFPrinter::Private::writeCatalog() {
    catalogObject = ++objectCount;
    objects = header(catalogObject) + "<<\r\n/Type /Catalog\r\n/Pages " + ref(pagesObject) + "\r\n";

    const std::string first = ref(pageObjects.front());
    const long z = zoom.value_or(0);
    if (z == 0)
        objects += "/OpenAction [" + first + " /Fit]\r\n";
    else if (z == 1)
        objects += "/OpenAction [" + first + " /FitH null]\r\n";
    else if (z == 2)
        objects += "/OpenAction [" + first + " /XYZ null null 1]\r\n";
    else
        objects +=
            "/OpenAction [" + first + " /XYZ null null " + pdf::fixed(z / 100.0, 2) + "]\r\n";

    static const char* const kLayouts[] = {"/PageLayout /SinglePage\r\n",
                                           "/PageLayout /OneColumn\r\n",
                                           "/PageLayout /TwoColumnLeft\r\n", ""};
    objects += kLayouts[std::clamp<long>(layout.value_or(0), 0, 3)];

    // One page mode: the outline panel when there is an outline to show, else the thumbnails.
    if (outlines && outlineRoot > 0)
        objects += "/Outlines " + ref(outlineRoot) + "\r\n/PageMode /UseOutlines\r\n";
    else if (thumbs)
        objects += "/PageMode /UseThumbs\r\n";

    if (viewerPrefs) {
        const std::string digits = std::to_string(*viewerPrefs);
        objects += "/ViewerPreferences<<\r\n";
        static const std::pair<char, const char*> kPrefs[] = {
            {'2', "/HideMenubar true"},  {'1', "/HideToolbar true"},
            {'3', "/HideWindowUI true"}, {'6', "/DisplayDocTitle true"},
            {'5', "/CenterWindow true"}, {'4', "/FitWindow true"}};
        for (const auto& [digit, entry] : kPrefs)
            if (digits.find(digit) != std::string::npos)
                objects += std::string(entry) + "\r\n";
        objects += ">>\r\n";
    }
    objects += ">>\r\nendobj\r\n";
    writeObject(objects);
}

void PDFPrinter::Private::writeXref() {
    const long long start = sink.position();
    const int size = objectCount + 1;
    std::string x = "xref\r\n0 " + std::to_string(size) + "\r\n0000000000 65535 f\r\n";
    x.reserve(x.size() + offsets.size() * 20 + 128);
    for (long long offset : offsets)
        x += pdf::padOffset(offset) + " 00000 n\r\n";
    x += "trailer\r\n<< /Size " + std::to_string(size) + "\r\n/Root " + ref(catalogObject) +
         "\r\n/Info 1 0 R\r\n>>\r\nstartxref\r\n" + std::to_string(start) + "\r\n\r\n";
    sink.write(x);
}

} // namespace vtx
