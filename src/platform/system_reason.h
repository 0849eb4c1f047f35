#pragma once

#include <QString>

namespace lumivex {

// Why a system call failed, in the words of the interface: the common causes in Korean, any other
// as the system words it. The one place a user-visible message takes a system error's reason
// from. Any thread.
namespace SystemReason {

QString text(int errorNumber);

}  // namespace SystemReason
}  // namespace lumivex
