#pragma once

#include <QStringView>

namespace lumivex {

enum class MediaContent { none, photo, video };

// The kind of media a file holds, judged by its extension through the shared MIME database the
// way the desktop does: image/* is a photo, video/* a video, anything else (audio, documents,
// unknown extensions) neither. Answers are cached per lower-cased extension; safe on any thread.
namespace MediaType {

MediaContent ofFile(QStringView fileName);

}  // namespace MediaType
}  // namespace lumivex
