#pragma once

#include <QString>

#include <cstdint>

namespace lumivex {

struct MediaItem;

// The texts the inspector shows about one item. Plain functions; any thread.
namespace ItemFacts {

// The last component of the item's file name.
QString fileName(const MediaItem& item);
// "사진 · 2.4 MB", "영상 · 1:05:09 · 1.2 GB", "사진 · 사진 보관함".
QString kindLine(const MediaItem& item);
// A size in decimal units as a file manager shows it: "512 bytes", "12 KB", "2.4 MB", "1.25 GB".
QString byteCount(std::int64_t bytes);
bool isPhotosItem(const MediaItem& item);

}  // namespace ItemFacts
}  // namespace lumivex
