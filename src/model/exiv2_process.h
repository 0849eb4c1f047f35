#pragma once

namespace lumivex {

// The process-wide setup Exiv2 needs before any thread reads a file with it: HEIC and CR3 support
// switched on, the XMP toolkit ready for threads, its log silenced. Every reader calls `prepare`
// first; it does the work once, whichever thread comes first.
namespace Exiv2Process {

void prepare();

}  // namespace Exiv2Process
}  // namespace lumivex
