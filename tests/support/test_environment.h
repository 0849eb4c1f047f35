#pragma once

namespace lumivex::test {

// Sets what every test program runs with, unless the test run sets it itself: no display, one
// locale, and GLib allocating with plain malloc.
void setTestEnvironment();

}  // namespace lumivex::test
