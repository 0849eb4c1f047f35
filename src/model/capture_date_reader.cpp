#include "model/capture_date_reader.h"

#include "model/capture_date_formats.h"
#include "model/exiv2_file_source.h"
#include "model/exiv2_process.h"
#include "model/heif_container.h"
#include "model/png_text.h"
#include "model/video_asset.h"
#include "platform/decimal_text.h"
#include "platform/error.h"
#include "platform/read_only_file.h"

#include <QRegularExpression>
#include <QStringList>

#include <exiv2/exiv2.hpp>

#include <algorithm>

namespace lumivex::CaptureDateReader {

namespace {

const QRegularExpression& offsetPattern() {
    static const QRegularExpression pattern(QStringLiteral("^[+-][0-9]{2}:[0-9]{2}$"));
    return pattern;
}

bool isAsciiDigits(const QString& text) {
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return !text.isEmpty();
}

// The moment of an offset that is well formed and in range, else nothing.
std::optional<Date> withOffset(Date utc, const std::optional<QString>& offset) {
    if (!offset || !offsetPattern().match(*offset).hasMatch()) {
        return std::nullopt;
    }
    const int hours = offset->mid(1, 2).toInt();
    const int minutes = offset->mid(4, 2).toInt();
    if (hours > 23 || minutes > 59) {
        return std::nullopt;
    }
    const double sign = offset->startsWith(u'-') ? -1 : 1;
    return Date{utc.secondsSince1970 - sign * (hours * 60 + minutes) * 60};
}

// The first datum of the EXIF sub-directory with this tag, the one Exiv2's search by the key
// "Exif.Photo.<name>" finds; matched by number, since building and comparing key texts for every
// tag cost more than reading the file.
std::optional<QString> exifText(const Exiv2::ExifData& exif, std::uint16_t tag) {
    const auto found = std::find_if(exif.begin(), exif.end(), [tag](const Exiv2::Exifdatum& datum) {
        return datum.tag() == tag && datum.groupName() == "Photo";
    });
    if (found == exif.end() || found->typeId() != Exiv2::asciiString) {
        return std::nullopt;
    }
    return QString::fromStdString(found->toString());
}

// DateTimeOriginal, OffsetTimeOriginal, SubSecTimeOriginal; DateTimeDigitized and
// OffsetTimeDigitized, whose sub-seconds are not used.
std::optional<Date> dateOf(const Exiv2::ExifData& exif) {
    if (std::optional<Date> original =
            exifDate(exifText(exif, 0x9003), exifText(exif, 0x9011), exifText(exif, 0x9291))) {
        return original;
    }
    return exifDate(exifText(exif, 0x9004), exifText(exif, 0x9012), std::nullopt);
}

// HEIF keeps its EXIF block in an item of the container, which libheif finds where Exiv2's own
// container reader misses it in files written by some encoders.
std::optional<Date> heifCaptureDate(const ReadOnlyFile& file) {
    const std::optional<QByteArray> block = HeifContainer::exif(file);
    if (!block) {
        return std::nullopt;
    }
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(block->constData()),
                                  static_cast<std::uint32_t>(block->size()));
        return dateOf(exif);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<Date> exifCaptureDate(const ReadOnlyFile& file) {
    Exiv2Process::prepare();
    if (HeifContainer::recognizes(file.head())) {
        return heifCaptureDate(file);
    }
    try {
        const Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(Exiv2::BasicIo::AutoPtr(new Exiv2FileSource(file)));
        if (image.get() == nullptr) {
            return std::nullopt;  // no format Exiv2 knows
        }
        image->readMetadata();
        return dateOf(image->exifData());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<Date> isoDate(const QString& text) {
    if (std::optional<Date> fractional = CaptureDateFormats::isoFractional(text)) {
        return fractional;
    }
    return CaptureDateFormats::iso(text);
}

}  // namespace

std::optional<Date> exifDate(const std::optional<QString>& value,
                             const std::optional<QString>& offset,
                             const std::optional<QString>& fraction) {
    if (!value || value->startsWith(u"0000")) {
        return std::nullopt;
    }
    const std::optional<Date> utc = CaptureDateFormats::exifUTC(*value);
    if (!utc) {
        return std::nullopt;
    }
    std::optional<Date> moment = withOffset(*utc, offset);
    if (!moment) {
        moment = CaptureDateFormats::exifLocal(*value);
        if (!moment) {
            return std::nullopt;
        }
    }
    if (fraction && isAsciiDigits(*fraction)) {
        if (const std::optional<double> seconds =
                DecimalText::parseDouble(QStringLiteral("0.") + *fraction)) {
            moment->secondsSince1970 += *seconds;
        }
    }
    return moment;
}

// The file is opened once: Exiv2 and the PNG reader share its descriptor and its head.
std::optional<Date> imageDate(const QString& path) {
    try {
        const ReadOnlyFile file(path);
        if (std::optional<Date> exif = exifCaptureDate(file)) {
            return exif;
        }
        if (const std::optional<QString> creation = PngText::creationTime(file)) {
            return isoDate(*creation);
        }
    } catch (const Error&) {
        // Unreadable: no date, as the header promises.
    }
    return std::nullopt;
}

std::optional<Date> videoDate(const VideoAsset& asset) {
    // libavformat hands every item over as text. The date an item holds is that text read as an
    // internet date-time in any of the forms cameras write, which covers the strict ISO forms, so
    // no second reading of the same text could succeed where this one failed.
    QStringList candidates = asset.metadataValues("com.apple.quicktime.creationdate", false);
    candidates += asset.metadataValues("creation_time", true);
    for (const QString& text : candidates) {
        if (std::optional<Date> date = CaptureDateFormats::quickTimeDate(text)) {
            return date;
        }
    }
    return std::nullopt;
}

}  // namespace lumivex::CaptureDateReader
