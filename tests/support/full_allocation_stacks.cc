// Linked into the test programs that start Qt Multimedia. Its GStreamer plugins keep a few blocks
// of PulseAudio, GLib and the Vulkan probe for the life of the process; the leak suppressions
// name those libraries, which only full allocation stacks show. Read by the sanitizer runtime
// only; ASAN_OPTIONS and LSAN_OPTIONS still apply on top.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
