// Reads arbitrary text in every capture-date form, and as an EXIF date with its offset and
// sub-second digits (the input's lines). A video's date is read once, in the creation-date form,
// because that form covers both strict internet forms: whatever they read, it must read alike.
#include "model/capture_date_formats.h"
#include "model/capture_date_reader.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

using namespace lumivex;

namespace {

void expectSame(const std::optional<Date>& strict, const std::optional<Date>& covering) {
    if (strict && (!covering || covering->secondsSince1970 != strict->secondsSince1970)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)CaptureDateFormats::exifUTC(text);
    (void)CaptureDateFormats::exifLocal(text);
    const std::optional<Date> quickTime = CaptureDateFormats::quickTimeDate(text);
    expectSame(CaptureDateFormats::iso(text), quickTime);
    expectSame(CaptureDateFormats::isoFractional(text), quickTime);

    const QStringList lines = text.split(u'\n');
    const auto line = [&](qsizetype index) {
        return index < lines.size() ? std::optional<QString>(lines[index]) : std::nullopt;
    };
    (void)CaptureDateReader::exifDate(line(0), line(1), line(2));
    return 0;
}
