#pragma once

#include "platform/date.h"

#include <QString>

#include <optional>

namespace lumivex {

class VideoAsset;

// Finds the moment a photo or video was taken in the metadata inside the file: the EXIF dates of
// an image (JPEG, HEIC, TIFF-based raw formats, PNG), the "Creation Time" text of a PNG, the
// creation-date metadata of a video. Never throws and never writes: any failure gives no date.
// Safe to call from any thread.
namespace CaptureDateReader {

// One EXIF date text with its optional offset ("+09:00") and sub-second digits. Without a usable
// offset the date is wall-clock time in the system's time zone.
std::optional<Date> exifDate(const std::optional<QString>& value,
                             const std::optional<QString>& offset,
                             const std::optional<QString>& fraction);

// Reads only the metadata of the file; pixels are never decoded.
std::optional<Date> imageDate(const QString& path);

// The QuickTime creation date, else the container's creation time, else a stream's.
std::optional<Date> videoDate(const VideoAsset& asset);

}  // namespace CaptureDateReader
}  // namespace lumivex
