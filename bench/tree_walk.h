#pragma once

#include <QByteArray>

#include <cstdint>

namespace lumivex::bench {

// The floor of any scan: every folder read and every entry examined once with statx, nothing
// built. Gives the bytes of the files so that the work cannot be left out.
std::int64_t walkTree(const QByteArray& folder);

}  // namespace lumivex::bench
