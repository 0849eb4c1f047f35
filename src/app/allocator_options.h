#pragma once

// What the application asks of the allocator it links. Any thread.
namespace lumivex::AllocatorOptions {

// Hands every page the allocator holds free back to the system now, instead of within the quarter
// second it otherwise keeps them for the next decode's buffers. For the moments the application
// settles: its views built, a save done. Nothing on the system allocator.
void releaseFreedPages();

}  // namespace lumivex::AllocatorOptions
