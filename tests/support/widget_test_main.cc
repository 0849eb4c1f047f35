#include <gtest/gtest.h>

#include <QApplication>

// Qt Multimedia's GStreamer plugins keep a few blocks of PulseAudio and GLib for the life of the
// process; the leak suppressions name those libraries, which only full allocation stacks show.
// Read by the sanitizer runtime only; LSAN_OPTIONS and ASAN_OPTIONS still apply on top.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

int main(int argc, char** argv) {
    // Widget tests draw off screen, also when the build lists them without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
